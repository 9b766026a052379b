#pragma once
// Property accessors of the scheduler objects: each put stores the value, each
// get answers with it or with the scheduler's default.
#include <windows.h>
#include <oleauto.h>
#include <optional>
#include <string>

namespace tapdeck::sim {

inline std::wstring Text(BSTR value) { return value ? std::wstring(value) : std::wstring(); }

inline HRESULT GetText(const std::optional<std::wstring>& value, BSTR* out)
{
    if (!out) return E_POINTER;
    *out = value ? ::SysAllocString(value->c_str()) : nullptr;
    return (value && !*out) ? E_OUTOFMEMORY : S_OK;
}

}  // namespace tapdeck::sim

#define SIM_TEXT_PROP(Name, field)                                                        \
    HRESULT STDMETHODCALLTYPE get_##Name(BSTR* value) override { return GetText(field, value); } \
    HRESULT STDMETHODCALLTYPE put_##Name(BSTR value) override                             \
    {                                                                                     \
        field = Text(value);                                                              \
        return S_OK;                                                                      \
    }

#define SIM_BOOL_PROP(Name, field, fallback)                                              \
    HRESULT STDMETHODCALLTYPE get_##Name(VARIANT_BOOL* value) override                    \
    {                                                                                     \
        if (!value) return E_POINTER;                                                     \
        *value = field.value_or(fallback) ? VARIANT_TRUE : VARIANT_FALSE;                 \
        return S_OK;                                                                      \
    }                                                                                     \
    HRESULT STDMETHODCALLTYPE put_##Name(VARIANT_BOOL value) override                     \
    {                                                                                     \
        field = value != VARIANT_FALSE;                                                   \
        return S_OK;                                                                      \
    }

#define SIM_VALUE_PROP(Name, Type, field, fallback)                                       \
    HRESULT STDMETHODCALLTYPE get_##Name(Type* value) override                            \
    {                                                                                     \
        if (!value) return E_POINTER;                                                     \
        *value = field.value_or(fallback);                                                \
        return S_OK;                                                                      \
    }                                                                                     \
    HRESULT STDMETHODCALLTYPE put_##Name(Type value) override                             \
    {                                                                                     \
        field = value;                                                                    \
        return S_OK;                                                                      \
    }

// A property this stand-in does not keep.
#define SIM_NO_PROP(Name, Type)                                                           \
    HRESULT STDMETHODCALLTYPE get_##Name(Type*) override { return E_NOTIMPL; }            \
    HRESULT STDMETHODCALLTYPE put_##Name(Type) override { return E_NOTIMPL; }
