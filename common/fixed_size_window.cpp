#include "fixed_size_window.h"

#include <initializer_list>

namespace tapdeck {

bool RemoveSizingCommands(HWND window)
{
    HMENU systemMenu = ::GetSystemMenu(window, FALSE);
    if (!systemMenu) return false;
    for (UINT command : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE})
        ::DeleteMenu(systemMenu, command, MF_BYCOMMAND);
    ::DrawMenuBar(window);
    return true;
}

bool LockWindowSize(HWND window, MINMAXINFO* limits)
{
    RECT bounds;
    if (!limits || !::GetWindowRect(window, &bounds)) return false;
    const POINT size{bounds.right - bounds.left, bounds.bottom - bounds.top};
    limits->ptMaxPosition = POINT{bounds.left, bounds.top};
    limits->ptMaxSize = size;
    limits->ptMinTrackSize = size;
    limits->ptMaxTrackSize = size;
    return true;
}

}  // namespace tapdeck
