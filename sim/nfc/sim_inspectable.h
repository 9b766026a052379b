#pragma once
// The IInspectable part that every stand-in object answers alike.
#include <windows.h>
#include <inspectable.h>
#include <winstring.h>

namespace tapdeck::sim {

#define TAPDECK_SIM_INSPECTABLE(className)                                                       \
    HRESULT STDMETHODCALLTYPE GetIids(ULONG* count, IID** iids) override                         \
    {                                                                                            \
        if (!count || !iids) return E_POINTER;                                                   \
        *count = 0;                                                                              \
        *iids = nullptr;                                                                         \
        return S_OK;                                                                             \
    }                                                                                            \
    HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING* name) override                        \
    {                                                                                            \
        return ::WindowsCreateString(className, static_cast<UINT32>(wcslen(className)), name);   \
    }                                                                                            \
    HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel* level) override                          \
    {                                                                                            \
        if (!level) return E_POINTER;                                                            \
        *level = BaseTrust;                                                                      \
        return S_OK;                                                                             \
    }

// A heap object's count; it deletes itself at zero.
#define TAPDECK_SIM_REFCOUNT(Type)                                                               \
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); } \
    ULONG STDMETHODCALLTYPE Release() override                                                   \
    {                                                                                            \
        const LONG left = ::InterlockedDecrement(&refs_);                                        \
        if (left == 0) delete this;                                                              \
        return static_cast<ULONG>(left);                                                         \
    }                                                                                            \
    LONG refs_ = 1;

}  // namespace tapdeck::sim
