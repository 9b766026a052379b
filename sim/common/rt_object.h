#pragma once
// Windows Runtime objects of the stand-ins. RtClass answers the IInspectable
// members alike for every class. RtObject adds a reference count that the
// census sees (sim/common/census.h) and that buries the object at zero, and
// a QueryInterface that the class answers in Find. RtSingleton is the same
// for an object the module keeps for the whole process: it counts the
// references others hold and is never freed.
#include <windows.h>
#include <inspectable.h>
#include <winstring.h>

#include "census.h"
#include "graveyard.h"

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

// The census knows a class by the name the object is made with.
template <typename... Interfaces>
class RtObject : public RtClass<Interfaces...>, public Buried {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = Find(iid);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return refs_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        bool last = false;
        const ULONG left = refs_.Release(last);
        if (last) Bury(this);
        return left;
    }

protected:
    explicit RtObject(const wchar_t* censusName) : refs_(censusName, 1) {}
    virtual void* Find(REFIID iid) = 0;

private:
    CountedRefs refs_;
};

template <typename... Interfaces>
class RtSingleton : public RtClass<Interfaces...> {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return refs_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        bool last = false;
        return refs_.Release(last);
    }

protected:
    explicit RtSingleton(const wchar_t* censusName) : refs_(censusName, 0) {}

private:
    CountedRefs refs_;
};

}  // namespace tapdeck::sim
