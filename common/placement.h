#pragma once
// Where windows and controls go: their layouts scaled to the screen DPI, and
// centring on the owner or the work area.
#include <windows.h>

#include "layout.h"
#include "screen_dpi.h"

namespace tapdeck {

// Size and place from the layout of the string id.
void PlaceControl(HWND window, UINT layoutId);
void PlaceWindow(HWND window, UINT layoutId);
bool CenterWindow(HWND window);

// The arithmetic behind the placement helpers, for callers that already
// know their rectangles.

// A control's rectangle in pixels: left, top, width and height scaled from
// 96 DPI (left/top hold x/y, right/bottom hold width/height).
RECT ScaleLayout(const Layout& layout, const ScreenDpi& dpi);
// The top-left corner of a width x height window centred on `centring`,
// pulled back inside `area`: first off the far edge, then off the near one.
POINT CenterInArea(int width, int height, const RECT& centring, const RECT& area);

}  // namespace tapdeck
