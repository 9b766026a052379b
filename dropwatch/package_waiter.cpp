// The package waiter: watches the Packages folder until the companion's
// package folder appears, then hands over to the LocalState watcher.
#include <windows.h>
#include <memory>

#include <shlwapi.h>

#include "change_notification.h"
#include "monitor_state.h"
#include "worker_start.h"

namespace tapdeck {
namespace {

constexpr DWORD kFailedSetupWaitMs = 300000;

void PackageFolderCheck(MonitorState& state, const std::wstring& packageFamilyName)
{
    const std::wstring packageFolder = state.Paths().PackageFolder(packageFamilyName);
    if (!packageFolder.empty() && ::PathFileExistsW(packageFolder.c_str())) state.StartLocalStateWatch();
}

void RunPackageWaiter(const WorkerStart& start)
{
    MonitorState& state = *start.state;
    const std::wstring packages = state.Paths().PackagesFolder();
    if (packages.empty() || !::PathFileExistsW(packages.c_str())) return;

    unique_change_notification change(::FindFirstChangeNotificationW(packages.c_str(), FALSE, FILE_NOTIFY_CHANGE_DIR_NAME));
    if (!change) {
        if (::WaitForSingleObject(start.stop, kFailedSetupWaitMs) == WAIT_TIMEOUT)
            state.SubmitMonitorFailed(L"Packages");
        return;
    }
    state.SignalWatcherStop();
    for (;;) {
        const HANDLE handles[] = {change.get(), start.stop};
        if (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) break;
        PackageFolderCheck(state, start.packageFamilyName);
        if (!::FindNextChangeNotification(change.get())) break;
    }
}

}  // namespace

DWORD WINAPI PackageWaiterThread(void* param)
{
    HMODULE module = nullptr;
    {
        std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(param));
        module = start->module;
        RunPackageWaiter(*start);
        start->state->EndWaiter(start->stop);
    }
    // Nothing of this library may run once its last reference is gone.
    ::FreeLibraryAndExitThread(module, 0);
}

}  // namespace tapdeck
