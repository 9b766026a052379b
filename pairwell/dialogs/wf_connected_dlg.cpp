#include "wf_connected_dlg.h"

#include "../dialogs.h"
#include "strings/pairwell_strings.h"

namespace tapdeck::pairwell {
namespace {

// Buttons first, then the check box, then the message; "keep" (7) is the
// default and has the focus, so Enter keeps the current network.
constexpr ControlEntry kControls[] = {
    {ControlKind::PushButton, IDS_CONNECTED_CONTINUE, IDS_CONNECTED_CONTINUE_LAYOUT, CWFConnectedDlg::kContinueId},
    {ControlKind::DefaultPushButton, IDS_CONNECTED_CANCEL, IDS_CONNECTED_CANCEL_LAYOUT, CWFConnectedDlg::kKeepId},
    {ControlKind::CheckBox, IDS_CONNECTED_CHECKBOX, IDS_CONNECTED_CHECKBOX_LAYOUT, CWFConnectedDlg::kCheckBoxId},
    {ControlKind::Message, IDS_CONNECTED_TEXT, IDS_CONNECTED_TEXT_LAYOUT, 0},
};
constexpr size_t kCheckBoxIndex = 2;
constexpr DialogTable kTable{L"WiFiConnectedDlgWnd", kConnectedDlgProp, IDS_CONNECTED_LAYOUT, kControls, 1};

}  // namespace

CWFConnectedDlg::CWFConnectedDlg(HINSTANCE instance, HICON icon, HCURSOR cursor, UINT messageText) noexcept
    : CBaseDlg(instance, icon, cursor, kTable, messageText)
{
}

bool CWFConnectedDlg::OnCommand(int id)
{
    switch (id) {
    case kCheckBoxId:
        if (controls.size() <= kCheckBoxIndex) return true;
        switch (::SendMessageW(controls[kCheckBoxIndex], BM_GETCHECK, 0, 0)) {
        case BST_CHECKED: notShowAgain = 1; break;
        case BST_UNCHECKED: notShowAgain = 0; break;
        default: break;
        }
        return true;
    case kContinueId: CloseWithResult(1); return true;
    case kKeepId: CloseWithResult(0); return true;
    default: return false;
    }
}

// The focus comes back to the control that had it when the dialog was left.
LRESULT CWFConnectedDlg::OnFocusMessage(UINT messageId, WPARAM wParam, LPARAM lParam)
{
    if (messageId != WM_ACTIVATE) return ::DefWindowProcW(window, messageId, wParam, lParam);
    if (LOWORD(wParam) != WA_INACTIVE) {
        if (savedFocus) ::SetFocus(savedFocus);
    } else {
        savedFocus = ::GetFocus();
    }
    return 1;
}

}  // namespace tapdeck::pairwell
