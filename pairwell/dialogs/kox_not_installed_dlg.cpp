#include "kox_not_installed_dlg.h"

namespace tapdeck::pairwell {

CKOXNotInstalledDlg::CKOXNotInstalledDlg(HINSTANCE instance, HICON icon, HCURSOR cursor) noexcept
    : CSingleButtonDlg(instance, icon, cursor, L"KOXNotInstalledDlgWnd", L"Camera KOXNotInstalledDlg prop", 514,
                       507, 515, 508, 516)
{
}

}  // namespace tapdeck::pairwell
