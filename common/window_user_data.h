#pragma once
// A window procedure's way back to its object: the object passed to
// CreateWindowExW, kept in GWLP_USERDATA from WM_CREATE on.
#include <windows.h>

namespace tapdeck {

// The window's object; stores it first when the message is WM_CREATE. Null
// for the messages that come before WM_CREATE.
template <typename T>
T* WindowUserData(HWND window, UINT message, LPARAM lParam)
{
    if (message == WM_CREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<T*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace tapdeck
