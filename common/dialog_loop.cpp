#include "dialog_loop.h"

namespace tapdeck {

void RunDialogLoop(HWND dialog)
{
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageW(dialog, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

}  // namespace tapdeck
