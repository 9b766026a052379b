#pragma once
// "Tapdeck" in the all-users Programs folder of the Start menu. Besides
// giving users the agent there, it is the shortcut Windows reads the
// application user model id from before it lets a desktop program's toast
// appear (a desktop shortcut does not count).
#include <string>

namespace tapdeck {

class CTPDApp;

// True when the shortcut was written: target the agent, working folder the
// install folder, the app id of the toasts.
bool CreateStartMenuShortcut(CTPDApp& app);
void DeleteStartMenuShortcut();

}  // namespace tapdeck
