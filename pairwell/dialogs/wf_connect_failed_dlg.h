#pragma once
// Shown when the connection to the camera's network failed.
#include "single_button_dlg.h"

namespace tapdeck::pairwell {

class CWFConnectFailedDlg final : public CSingleButtonDlg {
public:
    CWFConnectFailedDlg(HINSTANCE instance, HICON icon, HCURSOR cursor) noexcept;
};

}  // namespace tapdeck::pairwell
