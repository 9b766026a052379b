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

}  // namespace tapdeck
