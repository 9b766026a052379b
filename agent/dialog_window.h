#pragma once
// What the agent's two windows share: their class registration, their fonts,
// their fixed size and their trimmed system menus.
#include <windows.h>
#include <string>

namespace tapdeck {

// Registers a window class with the dialogs' common settings. A class left
// registered by an earlier opening whose window outlived its loop counts as
// registered: it is the same class.
bool RegisterDialogClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure, HICON icon,
                         HCURSOR cursor);

// A font of the given size in points at the vertical DPI, or null.
HFONT CreateDialogFont(const std::wstring& face, int points, int dpiY);

// Removes restore, size, minimise and maximise from a system menu (in this
// order) and redraws the window's menu bar.
void RemoveSizingCommands(HWND window, HMENU systemMenu);

// Keeps the window at its current size: maximised and tracking sizes are the
// current ones.
void LockWindowSize(HWND window, MINMAXINFO* limits);

// Removes every property the window carries.
void RemoveAllProps(HWND window);

// A child control of the given class, text, style and id, at the default place.
HWND CreateControl(HWND parent, HINSTANCE instance, const wchar_t* className, const std::wstring& text,
                   DWORD style, int id);

}  // namespace tapdeck
