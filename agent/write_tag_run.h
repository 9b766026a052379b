#pragma once
// "Tapdeck.exe /WriteWifiTag": the write dialog in a process of its own,
// one per logon session (a second start brings the open one to the front),
// closed like every agent by "/HaltAll" and the per-user shutdown event. The
// running agent is not involved.
#include "observe_app.h"

namespace tapdeck {

// The session's one write dialog, named so that two starts at once make one.
constexpr wchar_t kWriteTagMutexName[] = L"Tapdeck[Guid({CD9EEDB5-8581-4B4B-99DC-8EB3A7A4F15E})]-WriteWifiTag";

// Runs the dialog until the user closes it, or raises the open one; the
// observer is the agent's.
void RunWriteTagSwitch(CObserveApp& agentObserver);

}  // namespace tapdeck
