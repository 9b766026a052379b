#pragma once
// Window properties: how other threads and processes find a program's
// window, and what a window takes away when it goes.
#include <windows.h>

namespace tapdeck {

// The last top-level window enumerated that carries the property, or null.
HWND FindWindowWithProp(const wchar_t* prop);

// Removes every property the window carries.
void RemoveAllProps(HWND window);

}  // namespace tapdeck
