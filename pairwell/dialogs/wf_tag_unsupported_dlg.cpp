#include "wf_tag_unsupported_dlg.h"

#include "strings/pairwell_strings.h"

namespace tapdeck::pairwell {

CWFTagUnsupportedDlg::CWFTagUnsupportedDlg(HINSTANCE instance, HICON icon, HCURSOR cursor) noexcept
    : CSingleButtonDlg(instance, icon, cursor, L"WiFiTagUnsupportedDlgWnd", L"Pairwell WiFiTagUnsupportedDlg prop",
                       IDS_TAG_UNSUPPORTED_LAYOUT, IDS_TAG_UNSUPPORTED_TEXT, IDS_TAG_UNSUPPORTED_TEXT_LAYOUT,
                       IDS_PAIRWELL_OK_BUTTON, IDS_TAG_UNSUPPORTED_BUTTON_LAYOUT)
{
}

}  // namespace tapdeck::pairwell
