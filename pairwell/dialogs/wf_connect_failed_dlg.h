#pragma once
// Shown when the connection to the camera's network failed.
#include "single_button_dlg.h"

namespace tapdeck::pairwell {

class CWFConnectFailedDlg final : public CSingleButtonDlg {
public:
    // messageText: 505, or the standard Wi-Fi tag's text.
    CWFConnectFailedDlg(HINSTANCE instance, HICON icon, HCURSOR cursor, UINT messageText = 505) noexcept;
};

}  // namespace tapdeck::pairwell
