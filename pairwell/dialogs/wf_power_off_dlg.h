#pragma once
// Shown when the Wi-Fi radio is off.
#include "single_button_dlg.h"

namespace tapdeck::pairwell {

class CWFPowerOffDlg final : public CSingleButtonDlg {
public:
    // messageText: 520, or 535 for the location rule (PowerOffMessageId).
    CWFPowerOffDlg(HINSTANCE instance, HICON icon, HCURSOR cursor, UINT messageText) noexcept;
};

}  // namespace tapdeck::pairwell
