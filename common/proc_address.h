#pragma once
// A typed export lookup: the one place where a FARPROC becomes a real signature.
#include <windows.h>

namespace tapdeck {

template <typename Fn>
Fn ProcAs(FARPROC proc) noexcept
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
}

template <typename Fn>
Fn GetProcAddressAs(HMODULE module, const char* name) noexcept
{
    return ProcAs<Fn>(::GetProcAddress(module, name));
}

}  // namespace tapdeck
