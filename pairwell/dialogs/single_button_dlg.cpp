#include "single_button_dlg.h"

namespace tapdeck::pairwell {

CSingleButtonDlg::CSingleButtonDlg(HINSTANCE instance, HICON icon, HCURSOR cursor, const wchar_t* className,
                                   const wchar_t* property, UINT windowLayoutId, UINT messageText,
                                   UINT messageLayout, UINT buttonText, UINT buttonLayout) noexcept
    : CBaseDlg(instance, icon, cursor),
      controls_{{ControlKind::DefaultPushButton, buttonText, buttonLayout, kButtonId},
                {ControlKind::Message, messageText, messageLayout, 0}},
      table_{className, property, windowLayoutId, controls_, 0}
{
}

bool CSingleButtonDlg::OnCommand(int id)
{
    if (id != kButtonId) return false;
    CloseWithResult(1);
    return true;
}

}  // namespace tapdeck::pairwell
