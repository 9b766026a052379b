#pragma once
// Shown when a standard Wi-Fi tag holds no network settings at all (a
// password token, a connection handover message).
#include "single_button_dlg.h"

namespace tapdeck::pairwell {

class CWFTagEmptyDlg final : public CSingleButtonDlg {
public:
    CWFTagEmptyDlg(HINSTANCE instance, HICON icon, HCURSOR cursor) noexcept;
};

}  // namespace tapdeck::pairwell
