#pragma once
// Texts and layout rectangles from the language-resource files, and the
// placement helpers every window uses.
#include <windows.h>
#include <string>
#include <string_view>

namespace tapdeck {

// The screen DPI, read once while the process starts; 96 until read.
struct ScreenDpi {
    int dpiX = 96;
    int dpiY = 96;
    static ScreenDpi& Get();
    void Read();
};

// A layout rectangle at 96 DPI: "x,y,w,h" read like _wtoi.
struct Layout {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};
Layout ParseLayout(std::wstring_view text);

// Replaces target with the text of the string id; false, target unchanged,
// when the entry is absent or empty.
bool LoadResString(std::wstring& target, UINT id);
void PlaceControl(HWND window, UINT layoutId);
void PlaceWindow(HWND window, UINT layoutId);
bool CenterWindow(HWND window);
bool IsHighContrastOn();
bool ForceForeground(HWND window);

// The arithmetic behind the placement helpers, for callers that already
// know their rectangles.

// A control's rectangle in pixels: left, top, width and height scaled from
// 96 DPI (left/top hold x/y, right/bottom hold width/height).
RECT ScaleLayout(const Layout& layout, const ScreenDpi& dpi);
// The top-left corner of a width x height window centred on `centring`,
// pulled back inside `area`: first off the far edge, then off the near one.
POINT CenterInArea(int width, int height, const RECT& centring, const RECT& area);

// The text of one entry of a string-table block (id % 16 is the position);
// empty when the entry is absent or the block ends before it.
std::wstring_view StringTableEntry(const void* block, DWORD blockBytes, UINT id);

}  // namespace tapdeck
