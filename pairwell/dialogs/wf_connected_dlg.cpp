#include "wf_connected_dlg.h"

namespace tapdeck::pairwell {
namespace {

// Buttons first, then the check box, then the message; "keep" (7) is the
// default and has the focus, so Enter keeps the current network.
constexpr ControlEntry kControls[] = {
    {ControlKind::PushButton, 527, 532, CWFConnectedDlg::kContinueId},
    {ControlKind::DefaultPushButton, 528, 533, CWFConnectedDlg::kKeepId},
    {ControlKind::CheckBox, 526, 531, CWFConnectedDlg::kCheckBoxId},
    {ControlKind::Message, 525, 530, 0},
};
constexpr DialogTable kTable{L"WiFiConnectedDlgWnd", L"Camera WiFiConnectedDlg prop", 529, kControls, 1};

}  // namespace

CWFConnectedDlg::CWFConnectedDlg(HINSTANCE instance, HICON icon, HCURSOR cursor) noexcept
    : CBaseDlg(instance, icon, cursor)
{
}

bool CWFConnectedDlg::Create()
{
    const bool created = CreateFromTable(kTable);
    if (controls.size() == std::size(kControls)) {
        checkBox = controls[2];
        message = controls[3];
    }
    return created;
}

bool CWFConnectedDlg::LayoutControls()
{
    return LayoutFromTable(kTable);
}

bool CWFConnectedDlg::Destroy()
{
    return DestroyFromTable(kTable);
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
