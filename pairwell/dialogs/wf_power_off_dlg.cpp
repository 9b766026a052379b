#include "wf_power_off_dlg.h"

namespace tapdeck::pairwell {

CWFPowerOffDlg::CWFPowerOffDlg(HINSTANCE instance, HICON icon, HCURSOR cursor, UINT messageText) noexcept
    : CSingleButtonDlg(instance, icon, cursor, L"WiFiPowerOffDlgWnd", L"Camera WiFiPowerOffDlg prop", 522,
                       messageText, 523, 521, 524)
{
}

}  // namespace tapdeck::pairwell
