#pragma once
// A reference-counted Windows Runtime object implementing the given
// IInspectable-based interfaces; the class answers QueryInterface in Find.
#include <windows.h>
#include <inspectable.h>
#include <winstring.h>
#include <atomic>

namespace tapdeck::sim {

template <typename... Interfaces>
class RtObject : public Interfaces... {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = Find(iid);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetIids(ULONG* count, IID** iids) override
    {
        if (!count || !iids) return E_POINTER;
        *count = 0;
        *iids = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING* name) override
    {
        if (!name) return E_POINTER;
        return ::WindowsCreateString(ClassName(), static_cast<UINT32>(::wcslen(ClassName())), name);
    }
    HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel* level) override
    {
        if (!level) return E_POINTER;
        *level = BaseTrust;
        return S_OK;
    }

protected:
    virtual ~RtObject() = default;
    virtual void* Find(REFIID iid) = 0;
    virtual const wchar_t* ClassName() const = 0;

private:
    std::atomic<ULONG> refs_{1};
};

}  // namespace tapdeck::sim
