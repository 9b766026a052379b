#pragma once
// The modal loop of a dialog made of plain windows.
#include <windows.h>

namespace tapdeck {

// Runs the thread's messages, with the dialog's keyboard handling (Tab,
// Enter, Escape), until a WM_QUIT or a failed GetMessageW.
void RunDialogLoop(HWND dialog);

}  // namespace tapdeck
