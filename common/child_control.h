#pragma once
// The dialogs' controls: child windows placed later from their layouts.
#include <windows.h>
#include <string>

namespace tapdeck {

// A child control of the given class, text, style and id, at the default place.
HWND CreateControl(HWND parent, HINSTANCE instance, const wchar_t* className, const std::wstring& text,
                   DWORD style, int id);

}  // namespace tapdeck
