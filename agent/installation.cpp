#include "installation.h"

#include "tpd_app.h"

namespace tapdeck {

// The autostart task and the desktop shortcut are not built yet: each switch
// does nothing and the process ends as every one-shot job does.
void CreateDesktopShortcut(CTPDApp&) {}
void Install(CTPDApp&) {}
void UnregisterAutoRun() {}
void DeleteDesktopShortcut() {}

}  // namespace tapdeck
