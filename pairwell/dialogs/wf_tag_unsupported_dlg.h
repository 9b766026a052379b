#pragma once
// Shown when a standard Wi-Fi tag holds only networks of a kind this PC
// cannot join (WEP, shared key, enterprise).
#include "single_button_dlg.h"

namespace tapdeck::pairwell {

class CWFTagUnsupportedDlg final : public CSingleButtonDlg {
public:
    CWFTagUnsupportedDlg(HINSTANCE instance, HICON icon, HCURSOR cursor) noexcept;
};

}  // namespace tapdeck::pairwell
