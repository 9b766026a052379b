#pragma once
// The COM plumbing every scheduler object shares: reference counting, the
// interface table, and an IDispatch that offers no type information (the
// product calls the vtable, never through late binding).
#include <windows.h>
#include <oaidl.h>
#include <atomic>

namespace tapdeck::sim {

// Live objects of this module; DllCanUnloadNow answers from it.
extern std::atomic<long> g_liveObjects;

template <typename Interface, typename... Bases>
class DispatchObject : public Interface {
public:
    DispatchObject() { ++g_liveObjects; }
    virtual ~DispatchObject() { --g_liveObjects; }
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(Interface) ||
            ((iid == __uuidof(Bases)) || ...)) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

private:
    std::atomic<ULONG> refs_{1};
};

}  // namespace tapdeck::sim
