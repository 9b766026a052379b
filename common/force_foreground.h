#pragma once
// Bringing a window to the foreground from a thread that does not have it.
#include <windows.h>

namespace tapdeck {

bool ForceForeground(HWND window);

}  // namespace tapdeck
