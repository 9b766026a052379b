#pragma once
// Dialogs that cannot be sized: no sizing commands in their system menus,
// and a size that tracking and maximising keep.
#include <windows.h>

namespace tapdeck {

// Removes restore, size, minimise and maximise from the window's system menu
// (in this order) and redraws its menu bar; false when it has no system menu.
bool RemoveSizingCommands(HWND window);

// WM_GETMINMAXINFO: maximised and tracking sizes are the current size. False,
// limits untouched, when the window's rectangle cannot be read.
bool LockWindowSize(HWND window, MINMAXINFO* limits);

}  // namespace tapdeck
