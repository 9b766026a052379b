#pragma once
// Runs code that calls into an outside library so that a structured exception
// raised there (an access violation, a foreign C++ throw) ends only the call.
// g++ cannot catch those: try/catch sees only its own throws, so the guard is
// a small frame with its own SEH handler that unwinds back to itself, the way
// __try/__except does; the library's own handlers still see the exception first.
#include <type_traits>
#include <utility>

namespace tapdeck {

// Calls body(context); false when a structured exception left it.
bool CallGuardedRaw(void (*body)(void*), void* context) noexcept;

// Calls fn(); false when a structured exception left it. Whatever fn had
// begun stays as it was: keep fn to the calls into the outside code.
template <typename Fn>
bool CallGuarded(Fn&& fn) noexcept
{
    using Callable = std::remove_reference_t<Fn>;
    return CallGuardedRaw([](void* p) { (*static_cast<Callable*>(p))(); }, const_cast<void*>(static_cast<const void*>(&fn)));
}

}  // namespace tapdeck
