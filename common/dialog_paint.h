#pragma once
// How the dialogs paint: their controls draw everything, on the window
// colour.
#include <windows.h>

namespace tapdeck {

// WM_PAINT of a window with nothing of its own to draw: validates it.
void PaintNothing(HWND window);

// WM_CTLCOLORSTATIC: the text in textColor on the window colour; the brush
// to return.
LRESULT ColorStaticOnWindow(HDC dc, COLORREF textColor);

}  // namespace tapdeck
