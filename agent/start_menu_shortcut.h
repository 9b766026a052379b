#pragma once
// "Tapdeck" in the all-users Programs folder of the Start menu. Besides
// giving users the agent there, it is the shortcut Windows reads the
// application user model id from before it lets a desktop program's toast
// appear (a desktop shortcut does not count). Beside it, "Write a Wi-Fi
// tag" opens the agent's tag writer ("/WriteWifiTag"); it shows no toasts,
// so it carries no app id.
#include <string>

namespace tapdeck {

class CTPDApp;

constexpr wchar_t kWriteTagShortcutName[] = L"Write a Wi-Fi tag";

// True when both shortcuts were written: target the agent, working folder
// the install folder, the app id of the toasts on "Tapdeck".
bool CreateStartMenuShortcut(CTPDApp& app);
void DeleteStartMenuShortcut();

}  // namespace tapdeck
