#pragma once
// The monitor record: the two worker threads (package waiter and LocalState
// watcher), their events, the companion profile, the cached paths and the
// usage-statistics status. The exports drive one static instance.
#include <windows.h>
#include <string>
#include <vector>

#include "companion_profile.h"
#include "monitor_dependencies.h"
#include "monitor_paths.h"
#include "photoshop_elements.h"
#include "unique_handle.h"
#include "usage_stats.h"

namespace tapdeck {

class MonitorState {
public:
    explicit MonitorState(const MonitorDependencies& dependencies = MonitorDependencies::Platform());
    MonitorState(const MonitorState&) = delete;
    MonitorState& operator=(const MonitorState&) = delete;

    // 1 when the worker that fits the companion's state runs afterwards.
    DWORD StartMonitor();
    // Asks both workers to stop and waits briefly for each. A worker busy in
    // a command ends later; it keeps the library loaded until then.
    void StopMonitor();

    bool LoadMonitorProfile();
    bool StartPackageWait();
    bool StartLocalStateWatch();
    bool IsCompanionInstalled(const std::wstring& packageFamilyName) const;

    // The first profile entry's family name, copied under the lock: a worker
    // reads it once, when it starts.
    std::wstring PackageFamilyName() const;

    MonitorPaths& Paths() noexcept { return paths_; }
    PhotoshopElements& Photoshop() noexcept { return photoshop_; }
    HRESULT UsageStatus() const noexcept { return usage_.Status(); }
    void SubmitMonitorFailed(const wchar_t* folder);

    // For tests: whether a worker is recorded as running, which its thread
    // shows only once it has begun.
    bool WaiterRunning() const;
    bool WatcherRunning() const;

    // Called by the workers themselves.
    void SignalWaiterStop();
    void SignalWatcherStop();
    void EndWaiter(HANDLE stop);
    void EndWatcher(HANDLE stop);

private:
    MonitorDependencies dependencies_;

    // handleLock_ guards the five handles, the profile and stopping_: a worker closes
    // and clears its own handles under it, while StopMonitor and the other
    // worker signal them under it.
    mutable SRWLOCK handleLock_ = SRWLOCK_INIT;
    unique_thread waiterThread_;
    unique_event waiterStop_;
    unique_thread watcherThread_;
    unique_event watcherIo_;
    unique_event watcherStop_;
    std::vector<AppInfoEntry> profile_;
    // Set by StopMonitor, cleared by StartMonitor: a hand-off that meets a
    // stop request starts nothing, for nothing would stop what it started.
    bool stopping_ = false;

    MonitorPaths paths_;
    PhotoshopElements photoshop_;
    UsageUser usage_;
};

}  // namespace tapdeck
