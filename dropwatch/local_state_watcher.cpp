// The LocalState watcher: reads the companion's LocalState folder for
// written files and runs their handlers on this thread; hands over to the
// package waiter when the package is gone.
#include <windows.h>
#include <cwchar>
#include <cstring>
#include <memory>

#include <shlwapi.h>

#include "command_handlers.h"
#include "monitor_state.h"
#include "session_info.h"
#include "unique_handle.h"
#include "worker_start.h"

namespace tapdeck {
namespace {

constexpr DWORD kFailedSetupWaitMs = 300000;
constexpr int kFolderPolls = 10;
constexpr DWORD kFolderPollMs = 500;
constexpr DWORD kChangeBufferBytes = 1024;

bool WaitForFolder(const std::wstring& folder)
{
    if (folder.empty()) return false;
    for (int poll = 0; !::PathFileExistsW(folder.c_str()); ++poll) {
        if (poll == kFolderPolls) return false;
        ::Sleep(kFolderPollMs);
    }
    return true;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.compare(0, std::wcslen(prefix), prefix) == 0;
}

// Runs each handler at most once for one completed read, in the order their
// files first appear: one write often gives several records, and a record
// after the first may name the other file.
void DispatchChanges(MonitorState& state, const std::wstring& packageFamilyName, const BYTE* buffer, DWORD bytes)
{
    enum Handler { kNone, kAppInfo, kCommandInfo };
    Handler order[2] = {kNone, kNone};
    DWORD offset = 0;
    while (offset + offsetof(FILE_NOTIFY_INFORMATION, FileName) <= bytes) {
        const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + offset);
        const DWORD nameBytes = record->FileNameLength;
        if (offset + offsetof(FILE_NOTIFY_INFORMATION, FileName) + nameBytes > bytes) break;
        std::wstring name(record->FileName, nameBytes / sizeof(wchar_t));
        _wcsupr_s(name.data(), name.size() + 1);
        Handler handler = kNone;
        if (StartsWith(name, L"APP.INFO"))
            handler = kAppInfo;
        else if (StartsWith(name, L"COMMAND.INFO"))
            handler = kCommandInfo;
        if (handler != kNone && order[0] != handler && order[1] != handler) (order[0] == kNone ? order[0] : order[1]) = handler;
        if (record->NextEntryOffset == 0) break;
        offset += record->NextEntryOffset;
    }
    for (Handler handler : order) {
        if (handler == kAppInfo) OnAppInfoChanged(state, packageFamilyName);
        if (handler == kCommandInfo) OnCommandInfoChanged(state, packageFamilyName);
    }
}

// The read loop; true when it ended because the package is gone.
bool WatchFolder(const WorkerStart& start, HANDLE folder)
{
    MonitorState& state = *start.state;
    alignas(DWORD) BYTE buffer[kChangeBufferBytes];
    OVERLAPPED overlapped{};
    overlapped.hEvent = start.io;
    bool pending = false;
    bool packageGone = false;
    for (;;) {
        ::ResetEvent(start.io);
        std::memset(buffer, 0, sizeof(buffer));
        if (!::ReadDirectoryChangesW(folder, buffer, sizeof(buffer), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE, nullptr,
                                     &overlapped, nullptr)) {
            if (::WaitForSingleObject(start.stop, kFailedSetupWaitMs) == WAIT_TIMEOUT)
                state.SubmitMonitorFailed(L"LocalState");
            break;
        }
        pending = true;
        const HANDLE handles[] = {start.io, start.stop};
        if (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) break;
        pending = false;  // the event is set only by the completion
        if (!state.IsCompanionInstalled(start.packageFamilyName)) {
            if (!state.IsCompanionInstalled(start.packageFamilyName)) state.StartPackageWait();
            packageGone = true;
            break;
        }
        DWORD bytes = 0;
        if (!::GetOverlappedResult(folder, &overlapped, &bytes, FALSE)) continue;
        DispatchChanges(state, start.packageFamilyName, buffer, bytes);
    }
    if (pending) {
        // The system still owns buffer and overlapped until the read completes.
        DWORD ignored = 0;
        ::CancelIoEx(folder, &overlapped);
        ::GetOverlappedResult(folder, &overlapped, &ignored, TRUE);
    }
    return packageGone;
}

void RunLocalStateWatcher(const WorkerStart& start)
{
    MonitorState& state = *start.state;
    if (!WaitForFolder(state.Paths().LocalStateFolder(start.packageFamilyName))) {
        state.EndWatcher(start.stop);
        return;
    }
    state.SignalWaiterStop();
    unique_file folder(::CreateFileW(state.Paths().LocalStateFolder(start.packageFamilyName).c_str(),
                                     FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                                     nullptr));
    if (!folder) {
        state.EndWatcher(start.stop);
        return;
    }
    const bool packageGone = WatchFolder(start, folder.get());
    folder.reset();
    state.EndWatcher(start.stop);

    // Stale package folder removal: only an empty folder goes.
    if (!packageGone) return;
    const std::wstring packageFolder = state.Paths().PackageFolder(start.packageFamilyName);
    if (!packageFolder.empty() && ::PathFileExistsW(packageFolder.c_str()) &&
        !state.IsCompanionInstalled(start.packageFamilyName))
        ::RemoveDirectoryW(packageFolder.c_str());
}

}  // namespace

DWORD WINAPI LocalStateWatcherThread(void* param)
{
    HMODULE module = nullptr;
    {
        std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(param));
        module = start->module;
        RunLocalStateWatcher(*start);
    }
    // Nothing of this library may run once its last reference is gone.
    ::FreeLibraryAndExitThread(module, 0);
}

}  // namespace tapdeck
