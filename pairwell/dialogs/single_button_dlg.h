#pragma once
// A dialog with one default button (id 1) that closes it with result 1.
#include "base_dlg.h"

namespace tapdeck::pairwell {

class CSingleButtonDlg : public CBaseDlg {
public:
    bool LayoutControls() override { return LayoutFromTable(table_); }
    bool Create() override { return CreateFromTable(table_); }
    bool Destroy() override { return DestroyFromTable(table_); }

    static constexpr int kButtonId = 1;

protected:
    // The button first, then the message; the button has the focus.
    CSingleButtonDlg(HINSTANCE instance, HICON icon, HCURSOR cursor, const wchar_t* className,
                     const wchar_t* property, UINT windowLayoutId, UINT messageText, UINT messageLayout,
                     UINT buttonText, UINT buttonLayout) noexcept;
    bool OnCommand(int id) override;

private:
    ControlEntry controls_[2];
    DialogTable table_;
};

}  // namespace tapdeck::pairwell
