#pragma once
// The one-shot installation switches of the agent: the autostart task and
// the desktop shortcut.
#include <string>

#include "desktop_shortcut.h"

namespace tapdeck {

class CTPDApp;

// "<Program Files>\Vexa\Tapdeck\Tapdeck.exe", filling the cache on first
// use; empty when the Program Files folder is unavailable.
std::wstring AgentExecutablePath(std::wstring& programFilesPath);

// Registers the autostart task, trying up to ten times; true on success.
bool Install(CTPDApp& app);
void UnregisterAutoRun();

}  // namespace tapdeck
