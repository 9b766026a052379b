#pragma once
// The one-shot installation switches of the agent: the autostart task and
// the desktop shortcut.
#include <windows.h>
#include <string>

#include "observe_app.h"

#include "desktop_shortcut.h"

namespace tapdeck {

class CTPDApp;

// "<Program Files>\Vexa\Tapdeck\Tapdeck.exe", filling the cache on first
// use; empty when the Program Files folder is unavailable.
std::wstring AgentExecutablePath(std::wstring& programFilesPath);

// Registers the autostart task, trying up to ten times, and writes the
// Start-menu shortcut; true when both were done.
bool Install(CTPDApp& app);
// Removes the autostart task and both shortcuts.
void Uninstall();

// For installers, before they replace or remove the files: asks every agent
// and every Pairwell of every session to close and waits, at most
// kHaltWaitMs in all, until no process of any session runs a program of the
// install folder any more (Glimpser too); false when one still runs then.
constexpr DWORD kHaltWaitMs = 30000;
bool HaltAllAndWait(CObserveApp& agentObserver, std::wstring& programFilesPath);

// Starts the logon task now in the caller's logon session, so that the agent
// runs as that session's user and not elevated, whoever the caller is. An
// installer running without a logged-on user (session 0) starts nothing: the
// task starts the agent at the next logon.
bool RunLogonTask();

}  // namespace tapdeck
