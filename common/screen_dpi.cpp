#include "screen_dpi.h"

namespace tapdeck {

ScreenDpi& ScreenDpi::Get()
{
    // Read on first use, before the first window is laid out; the values
    // never change afterwards, so any thread may read them.
    static ScreenDpi dpi = [] {
        ScreenDpi screen;
        screen.Read();
        return screen;
    }();
    return dpi;
}

void ScreenDpi::Read()
{
    HDC screen = ::GetDC(nullptr);
    if (!screen) return;
    dpiX = ::GetDeviceCaps(screen, LOGPIXELSX);
    dpiY = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
}

}  // namespace tapdeck
