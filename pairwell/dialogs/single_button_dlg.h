#pragma once
// A dialog with one default button (id 1) that closes it with result 1.
#include "base_dlg.h"

namespace tapdeck::pairwell {

class CSingleButtonDlg final : public CBaseDlg {
public:
    using CBaseDlg::CBaseDlg;

    static constexpr int kButtonId = 1;

private:
    bool OnCommand(int id) override;
};

}  // namespace tapdeck::pairwell
