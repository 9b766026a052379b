#include "../dialogs.h"

namespace tapdeck::pairwell {
namespace {

struct Search {
    const wchar_t* property;
    HWND found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<Search*>(data);
    // Several windows may carry the property; the last one enumerated wins.
    if (::GetPropW(window, search->property)) search->found = window;
    return TRUE;
}

}  // namespace

HWND FindOpenDialog()
{
    for (const wchar_t* property : kDialogProperties) {
        Search search{property, nullptr};
        ::EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
    }
    return nullptr;
}

}  // namespace tapdeck::pairwell
