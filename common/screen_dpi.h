#pragma once
// The screen DPI that every window's sizes are scaled by.
#include <windows.h>

namespace tapdeck {

// The screen DPI, read once while the process starts; 96 until read.
struct ScreenDpi {
    int dpiX = 96;
    int dpiY = 96;
    static ScreenDpi& Get();
    void Read();
};

}  // namespace tapdeck
