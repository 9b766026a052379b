#pragma once
// Shown when the Wi-Fi interface is already connected to another network:
// continue (and drop that network) or keep it, with "don't ask again".
#include "base_dlg.h"

namespace tapdeck::pairwell {

class CWFConnectedDlg final : public CBaseDlg {
public:
    // messageText: the standard Wi-Fi tag's text, or 0 for the camera's.
    CWFConnectedDlg(HINSTANCE instance, HICON icon, HCURSOR cursor, UINT messageText = 0) noexcept;

    bool NotShowAgain() const noexcept { return notShowAgain != 0; }

    static constexpr int kCheckBoxId = 5;
    static constexpr int kContinueId = 6;
    static constexpr int kKeepId = 7;

private:
    bool OnCommand(int id) override;
    LRESULT OnFocusMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND savedFocus = nullptr;
    int notShowAgain = 0;
};

}  // namespace tapdeck::pairwell
