#include "main_dlg.h"

namespace tapdeck {

// The dialog's windows are not built yet: no dialog opens.
HWND CMainDlg::Create()
{
    (void)app_;
    return nullptr;
}

void CMainDlg::ReleaseClassAndFont() {}

}  // namespace tapdeck
