#pragma once
// A dialog with one default button (id 1) that closes it with result 1.
#include "base_dlg.h"

namespace tapdeck::pairwell {

class CSingleButtonDlg : public CBaseDlg {
public:
    bool LayoutControls() override { return LayoutFromSpec(spec_); }
    bool Create() override { return CreateFromSpec(spec_); }
    bool Destroy() override { return DestroyFromSpec(spec_); }

    static constexpr int kButtonId = 1;

protected:
    // The button first, then the message; the button has the focus.
    CSingleButtonDlg(HINSTANCE instance, HICON icon, HCURSOR cursor, const wchar_t* className,
                     const wchar_t* property, UINT windowLayoutId, UINT messageText, UINT messageLayout,
                     UINT buttonText, UINT buttonLayout) noexcept;
    bool OnCommand(int id) override;

private:
    ControlSpec controls_[2];
    DialogSpec spec_;
};

}  // namespace tapdeck::pairwell
