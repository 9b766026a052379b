#include "child_control.h"

namespace tapdeck {

HWND CreateControl(HWND parent, HINSTANCE instance, const wchar_t* className, const std::wstring& text,
                   DWORD style, int id)
{
    return ::CreateWindowExW(0, className, text.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                             nullptr);
}

}  // namespace tapdeck
