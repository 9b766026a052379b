#include "single_button_dlg.h"

namespace tapdeck::pairwell {

bool CSingleButtonDlg::OnCommand(int id)
{
    if (id != kButtonId) return false;
    CloseWithResult(1);
    return true;
}

}  // namespace tapdeck::pairwell
