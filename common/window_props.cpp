#include "window_props.h"

#include <utility>

namespace tapdeck {
namespace {

struct PropSearch {
    const wchar_t* prop;
    std::vector<HWND> found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<PropSearch*>(param);
    if (::GetPropW(window, search->prop)) search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK RemoveOneProp(HWND window, LPWSTR name, HANDLE, ULONG_PTR)
{
    ::RemovePropW(window, name);
    return TRUE;
}

}  // namespace

std::vector<HWND> WindowsWithProp(const wchar_t* prop)
{
    PropSearch search{prop, {}};
    ::EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
    return std::move(search.found);
}

HWND FindWindowWithProp(const wchar_t* prop)
{
    const std::vector<HWND> found = WindowsWithProp(prop);
    return found.empty() ? nullptr : found.back();
}

void RemoveAllProps(HWND window) { ::EnumPropsExW(window, RemoveOneProp, 0); }

}  // namespace tapdeck
