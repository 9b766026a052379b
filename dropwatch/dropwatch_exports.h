#pragma once
// The plug-in's two exports, as the agent finds them by name: one
// declaration for the library that defines them and the agent that calls.
#include <windows.h>

extern "C" {
DWORD WINAPI StartMonitor();
void WINAPI StopMonitor();
}

namespace tapdeck {

using StartMonitorFn = decltype(&StartMonitor);
using StopMonitorFn = decltype(&StopMonitor);

}  // namespace tapdeck
