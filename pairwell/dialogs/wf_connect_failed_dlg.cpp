#include "wf_connect_failed_dlg.h"

namespace tapdeck::pairwell {

CWFConnectFailedDlg::CWFConnectFailedDlg(HINSTANCE instance, HICON icon, HCURSOR cursor, UINT messageText) noexcept
    : CSingleButtonDlg(instance, icon, cursor, L"WiFiConnectFailDlgWnd", L"Camera WiFiConnectFailDlg prop", 517,
                       messageText, 518, 521, 519)
{
}

}  // namespace tapdeck::pairwell
