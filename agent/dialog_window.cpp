#include "dialog_window.h"

namespace tapdeck {
namespace {

BOOL CALLBACK RemoveOneProp(HWND window, LPWSTR name, HANDLE, ULONG_PTR)
{
    ::RemovePropW(window, name);
    return TRUE;
}

}  // namespace

bool RegisterDialogClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure, HICON icon,
                         HCURSOR cursor)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 8;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = className;
    return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HFONT CreateDialogFont(const std::wstring& face, int points, int dpiY)
{
    return ::CreateFontW(-::MulDiv(points, dpiY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                         0, 0, 0, face.c_str());
}

void RemoveSizingCommands(HWND window, HMENU systemMenu)
{
    for (UINT command : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE})
        ::DeleteMenu(systemMenu, command, MF_BYCOMMAND);
    ::DrawMenuBar(window);
}

void LockWindowSize(HWND window, MINMAXINFO* limits)
{
    RECT bounds;
    if (!limits || !::GetWindowRect(window, &bounds)) return;
    const POINT size{bounds.right - bounds.left, bounds.bottom - bounds.top};
    limits->ptMaxPosition = POINT{bounds.left, bounds.top};
    limits->ptMaxSize = size;
    limits->ptMinTrackSize = size;
    limits->ptMaxTrackSize = size;
}

void RemoveAllProps(HWND window) { ::EnumPropsExW(window, RemoveOneProp, 0); }

HWND CreateControl(HWND parent, HINSTANCE instance, const wchar_t* className, const std::wstring& text,
                   DWORD style, int id)
{
    return ::CreateWindowExW(0, className, text.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                             nullptr);
}

}  // namespace tapdeck
