#include "dialog_paint.h"

namespace tapdeck {

void PaintNothing(HWND window)
{
    PAINTSTRUCT paint;
    ::BeginPaint(window, &paint);
    ::EndPaint(window, &paint);
}

LRESULT ColorStaticOnWindow(HDC dc, COLORREF textColor)
{
    ::SetTextColor(dc, textColor);
    ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
}

}  // namespace tapdeck
