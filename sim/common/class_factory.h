#pragma once
// The class factory of an in-process stand-in server: CreateInstance makes a
// fresh object with `Make` and hands out the asked interface.
#include <windows.h>
#include <unknwn.h>
#include <atomic>

#include "census.h"

namespace tapdeck::sim {

template <typename Make>
class ClassFactory final : public IClassFactory {
public:
    ClassFactory(Make make, std::atomic<long>& locks, const wchar_t* censusName = L"IClassFactory")
        : make_(make), locks_(locks), refs_(censusName, 0)
    {
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // One static factory per module: its lifetime is the module's; the count
    // is of the references others hold.
    ULONG STDMETHODCALLTYPE AddRef() override { return refs_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        bool last = false;
        return refs_.Release(last);
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        IUnknown* object = make_();
        if (!object) return E_OUTOFMEMORY;
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        lock ? ++locks_ : --locks_;
        return S_OK;
    }

private:
    Make make_;
    std::atomic<long>& locks_;
    CountedRefs refs_;
};

}  // namespace tapdeck::sim
