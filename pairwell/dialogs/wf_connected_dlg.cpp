#include "wf_connected_dlg.h"

namespace tapdeck::pairwell {
namespace {

// Buttons first, then the check box, then the message; "keep" (7) is the
// default and has the focus, so Enter keeps the current network.
constexpr size_t kControlCount = 4;

}  // namespace

CWFConnectedDlg::CWFConnectedDlg(HINSTANCE instance, HICON icon, HCURSOR cursor, UINT messageText) noexcept
    : CBaseDlg(instance, icon, cursor),
      entries_{{ControlKind::PushButton, 527, 532, kContinueId},
               {ControlKind::DefaultPushButton, 528, 533, kKeepId},
               {ControlKind::CheckBox, 526, 531, kCheckBoxId},
               {ControlKind::Message, messageText, 530, 0}},
      table_{L"WiFiConnectedDlgWnd", L"Camera WiFiConnectedDlg prop", 529, entries_, 1}
{
}

bool CWFConnectedDlg::Create()
{
    const bool created = CreateFromTable(table_);
    if (controls.size() == kControlCount) {
        checkBox = controls[2];
        message = controls[3];
    }
    return created;
}

bool CWFConnectedDlg::LayoutControls()
{
    return LayoutFromTable(table_);
}

bool CWFConnectedDlg::Destroy()
{
    return DestroyFromTable(table_);
}

bool CWFConnectedDlg::OnCommand(int id)
{
    switch (id) {
    case kCheckBoxId:
        switch (::SendMessageW(checkBox, BM_GETCHECK, 0, 0)) {
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
