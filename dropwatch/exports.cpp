// The two exports the agent calls: StartMonitor once after loading the
// library, StopMonitor once before freeing it. Both run on its main thread.
#include "dropwatch_exports.h"
#include "monitor_state.h"

namespace {

// Created when the library is loaded, destroyed when it is unloaded; a
// worker still running holds the library loaded until it has ended.
tapdeck::MonitorState monitor;

}  // namespace

extern "C" DWORD WINAPI StartMonitor() { return monitor.StartMonitor(); }

extern "C" void WINAPI StopMonitor() { monitor.StopMonitor(); }
