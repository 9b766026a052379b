#pragma once
// What tests read off a window: its text, its class and its child controls.
#include <windows.h>

#include <string>
#include <vector>

namespace tapdeck::test {

inline std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

inline std::wstring ClassOf(HWND window)
{
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

// The direct children in creation (tab) order.
inline std::vector<HWND> ChildWindows(HWND window)
{
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

}  // namespace tapdeck::test
