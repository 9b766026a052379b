#pragma once
// Shown when the companion app is not installed; its button asks for the
// app's Store page.
#include "single_button_dlg.h"

namespace tapdeck::pairwell {

class CKOXNotInstalledDlg final : public CSingleButtonDlg {
public:
    CKOXNotInstalledDlg(HINSTANCE instance, HICON icon, HCURSOR cursor) noexcept;
};

}  // namespace tapdeck::pairwell
