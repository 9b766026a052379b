#pragma once
// Windows Runtime objects of the stand-ins. RtClass answers the IInspectable
// members alike for every class; RtObject adds a reference count that deletes
// the object at zero and a QueryInterface that the class answers in Find.
#include <windows.h>
#include <inspectable.h>
#include <winstring.h>
#include <atomic>

namespace tapdeck::sim {

template <typename... Interfaces>
class RtClass : public Interfaces... {
public:
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
    virtual ~RtClass() = default;
    virtual const wchar_t* ClassName() const = 0;
};

template <typename... Interfaces>
class RtObject : public RtClass<Interfaces...> {
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

protected:
    virtual void* Find(REFIID iid) = 0;

private:
    std::atomic<ULONG> refs_{1};
};

}  // namespace tapdeck::sim
