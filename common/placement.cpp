#include "placement.h"

#include <string>

#include "res_string.h"

namespace tapdeck {
namespace {

bool LoadLayout(UINT layoutId, Layout& layout)
{
    std::wstring text;
    if (!LoadResString(text, layoutId)) return false;
    layout = ParseLayout(text);
    return true;
}

// What a window is centred on and kept inside: a child on its parent's
// client area; a top-level window on its owner when the owner can be seen,
// else on the work area of the nearest monitor, and always inside that work
// area.
bool ReferenceAreas(HWND window, RECT& centring, RECT& area)
{
    if (::GetWindowLongW(window, GWL_STYLE) & WS_CHILD) {
        HWND parent = ::GetParent(window);
        if (!::IsWindow(parent)) return false;
        if (!::GetClientRect(parent, &area)) return false;
        centring = area;
        return true;
    }

    HWND owner = ::GetWindow(window, GW_OWNER);
    const LONG ownerStyle = owner ? ::GetWindowLongW(owner, GWL_STYLE) : 0;
    const bool onOwner = owner && (ownerStyle & WS_VISIBLE) && !(ownerStyle & WS_MINIMIZE);
    HMONITOR monitor = ::MonitorFromWindow(onOwner ? owner : window, MONITOR_DEFAULTTONEAREST);
    if (!monitor) return false;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(monitor, &info)) return false;
    area = info.rcWork;
    if (onOwner) {
        if (!::GetWindowRect(owner, &centring)) return false;
    } else {
        centring = info.rcWork;
    }
    return true;
}

}  // namespace

RECT ScaleLayout(const Layout& layout, const ScreenDpi& dpi)
{
    return RECT{::MulDiv(layout.x, dpi.dpiX, 96), ::MulDiv(layout.y, dpi.dpiY, 96),
                ::MulDiv(layout.w, dpi.dpiX, 96), ::MulDiv(layout.h, dpi.dpiY, 96)};
}

POINT CenterInArea(int width, int height, const RECT& centring, const RECT& area)
{
    LONG left = (centring.left + centring.right) / 2 - width / 2;
    LONG top = (centring.top + centring.bottom) / 2 - height / 2;
    // Far edge first, then near edge: a window larger than the area ends up
    // at its top-left corner, with its title bar reachable.
    if (left + width > area.right) left = area.right - width;
    if (left < area.left) left = area.left;
    if (top + height > area.bottom) top = area.bottom - height;
    if (top < area.top) top = area.top;
    return POINT{left, top};
}

void PlaceControl(HWND window, UINT layoutId)
{
    Layout layout;
    if (!LoadLayout(layoutId, layout)) return;
    const RECT scaled = ScaleLayout(layout, ScreenDpi::Get());
    ::SetWindowPos(window, nullptr, scaled.left, scaled.top, scaled.right, scaled.bottom, SWP_NOZORDER);
}

void PlaceWindow(HWND window, UINT layoutId)
{
    Layout layout;
    if (!LoadLayout(layoutId, layout)) return;

    int extraWidth = 0;
    int extraHeight = 0;
    WINDOWINFO windowInfo{};
    windowInfo.cbSize = sizeof(windowInfo);
    if (::GetWindowInfo(window, &windowInfo)) {
        extraWidth = 2 * static_cast<int>(windowInfo.cxWindowBorders);
        extraHeight = 2 * static_cast<int>(windowInfo.cyWindowBorders);
    }
    TITLEBARINFO titleBar{};
    titleBar.cbSize = sizeof(titleBar);
    if (::GetTitleBarInfo(window, &titleBar)) extraHeight += titleBar.rcTitleBar.bottom - titleBar.rcTitleBar.top;

    RECT centring;
    RECT area;
    if (!ReferenceAreas(window, centring, area)) return;
    const RECT scaled = ScaleLayout(layout, ScreenDpi::Get());
    int width = scaled.right + extraWidth;
    int height = scaled.bottom + extraHeight;
    // A window that has no size yet can report a wrong frame (Wine gives a
    // zero-sized window negative borders): size it, then let the client
    // area it really got correct the frame before centring.
    if (::SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) {
        RECT client;
        if (::GetClientRect(window, &client)) {
            width += scaled.right - client.right;
            height += scaled.bottom - client.bottom;
        }
    }
    const POINT topLeft = CenterInArea(width, height, centring, area);
    ::SetWindowPos(window, nullptr, topLeft.x, topLeft.y, width, height, SWP_NOZORDER);
}

bool CenterWindow(HWND window)
{
    RECT bounds;
    if (!::GetWindowRect(window, &bounds)) return false;
    RECT centring;
    RECT area;
    if (!ReferenceAreas(window, centring, area)) return false;
    const POINT topLeft =
        CenterInArea(bounds.right - bounds.left, bounds.bottom - bounds.top, centring, area);
    return ::SetWindowPos(window, nullptr, topLeft.x, topLeft.y, 0, 0,
                          SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

}  // namespace tapdeck
