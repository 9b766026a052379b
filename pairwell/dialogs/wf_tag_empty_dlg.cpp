#include "wf_tag_empty_dlg.h"

#include "strings/pairwell_strings.h"

namespace tapdeck::pairwell {

CWFTagEmptyDlg::CWFTagEmptyDlg(HINSTANCE instance, HICON icon, HCURSOR cursor) noexcept
    : CSingleButtonDlg(instance, icon, cursor, L"WiFiTagEmptyDlgWnd", L"Pairwell WiFiTagEmptyDlg prop",
                       IDS_TAG_EMPTY_LAYOUT, IDS_TAG_EMPTY_TEXT, IDS_TAG_EMPTY_TEXT_LAYOUT, IDS_PAIRWELL_OK_BUTTON,
                       IDS_TAG_EMPTY_BUTTON_LAYOUT)
{
}

}  // namespace tapdeck::pairwell
