#include "window_props.h"

namespace tapdeck {
namespace {

struct PropSearch {
    const wchar_t* prop;
    HWND found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<PropSearch*>(param);
    if (::GetPropW(window, search->prop)) search->found = window;
    return TRUE;
}

BOOL CALLBACK RemoveOneProp(HWND window, LPWSTR name, HANDLE, ULONG_PTR)
{
    ::RemovePropW(window, name);
    return TRUE;
}

}  // namespace

HWND FindWindowWithProp(const wchar_t* prop)
{
    PropSearch search{prop, nullptr};
    ::EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void RemoveAllProps(HWND window) { ::EnumPropsExW(window, RemoveOneProp, 0); }

}  // namespace tapdeck
