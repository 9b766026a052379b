#include "force_foreground.h"

namespace tapdeck {

bool ForceForeground(HWND window)
{
    if (!window) return false;
    HWND foreground = ::GetForegroundWindow();
    if (foreground && ::IsWindow(foreground)) {
        const DWORD ownThread = ::GetCurrentThreadId();
        const DWORD foregroundThread = ::GetWindowThreadProcessId(foreground, nullptr);
        if (ownThread != 0 && foregroundThread != 0 && ownThread != foregroundThread) {
            // Borrowing the foreground thread's input state lets this thread
            // take the foreground, which the system refuses otherwise.
            ::AttachThreadInput(foregroundThread, ownThread, TRUE);
            const BOOL result = ::SetForegroundWindow(window);
            ::AttachThreadInput(foregroundThread, ownThread, FALSE);
            return result != FALSE;
        }
    }
    return ::SetForegroundWindow(window) != FALSE;
}

}  // namespace tapdeck
