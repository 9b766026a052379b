#include "../dialogs.h"
#include "window_props.h"

namespace tapdeck::pairwell {

HWND FindOpenDialog()
{
    for (const wchar_t* property : kDialogProperties) {
        // Several windows may carry the property; the last one enumerated wins.
        if (HWND found = FindWindowWithProp(property)) return found;
    }
    return nullptr;
}

}  // namespace tapdeck::pairwell
