#pragma once
// The class every Tapdeck window registers: redrawn whole when sized,
// painted in the window colour.
#include <windows.h>

namespace tapdeck {

// A class left registered by an earlier opening whose window outlived its
// loop counts as registered: it is the same class.
bool RegisterWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure, HICON icon,
                         HCURSOR cursor);

}  // namespace tapdeck
