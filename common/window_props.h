#pragma once
// Window properties: how other threads and processes find a program's
// window, and what a window takes away when it goes.
#include <windows.h>
#include <vector>

namespace tapdeck {

// The top-level windows that carry the property, in the order they are
// enumerated.
std::vector<HWND> WindowsWithProp(const wchar_t* prop);
// The last of them, or null.
HWND FindWindowWithProp(const wchar_t* prop);

// Removes every property the window carries.
void RemoveAllProps(HWND window);

}  // namespace tapdeck
