// The LocalState watcher: reads the companion's LocalState folder for
// written files and runs their handlers on this thread; hands over to the
// package waiter when the package is gone.
#include "local_state_watcher.h"

#include <windows.h>
#include <algorithm>
#include <cwchar>
#include <cstring>
#include <memory>

#include <shlwapi.h>

#include "change_notification.h"
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
// Written files, and files renamed into place.
constexpr DWORD kChangeFilter = FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME;
// A file its writer holds is read again after these delays, each twice the
// last, until the writer lets go.
constexpr DWORD kFirstRetryMs = 50;
constexpr DWORD kLongestRetryMs = 1000;
// How often LocalState is looked at besides the changes reported: while
// it is gone, and whether the folder watched is still the one of that name
// (a folder deleted while watched may report nothing more).
constexpr DWORD kLocalStateLookMs = 1000;
constexpr DWORD kFolderCheckMs = 2000;

enum Handler : unsigned { kAppInfo = 1, kCommandInfo = 2, kBoth = kAppInfo | kCommandInfo };

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

unsigned Run(MonitorState& state, const std::wstring& packageFamilyName, Handler handler)
{
    if (handler == kAppInfo) return OnAppInfoChanged(state, packageFamilyName) ? unsigned{kAppInfo} : 0u;
    return OnCommandInfoChanged(state, packageFamilyName) ? unsigned{kCommandInfo} : 0u;
}

// The handlers in the given set, "App.Info" first; the ones whose file its
// writer held.
unsigned RunHandlers(MonitorState& state, const std::wstring& packageFamilyName, unsigned handlers)
{
    unsigned held = 0;
    if (handlers & kAppInfo) held |= Run(state, packageFamilyName, kAppInfo);
    if (handlers & kCommandInfo) held |= Run(state, packageFamilyName, kCommandInfo);
    return held;
}

// Asked twice, as a query may answer wrongly while the package changes.
bool PackageGone(MonitorState& state, const std::wstring& packageFamilyName)
{
    if (state.IsCompanionInstalled(packageFamilyName)) return false;
    if (!state.IsCompanionInstalled(packageFamilyName)) state.StartPackageWait();
    return true;
}

unique_file OpenFolder(const std::wstring& path)
{
    return unique_file(::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
}

// False once the folder held is deleted (its name stays until the handle
// closes) or another folder has taken its name: the app was reset.
bool StillTheFolder(HANDLE folder, const std::wstring& path)
{
    FILE_STANDARD_INFO standard{};
    if (::GetFileInformationByHandleEx(folder, FileStandardInfo, &standard, sizeof(standard)) && standard.DeletePending)
        return false;
    unique_file current(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION held{};
    BY_HANDLE_FILE_INFORMATION now{};
    return current && ::GetFileInformationByHandle(folder, &held) && ::GetFileInformationByHandle(current.get(), &now) &&
           held.dwVolumeSerialNumber == now.dwVolumeSerialNumber && held.nFileIndexHigh == now.nFileIndexHigh &&
           held.nFileIndexLow == now.nFileIndexLow;
}

enum class WatchEnd { Stopped, PackageGone, FolderLost };

// The read loop over one LocalState folder. lookFirst: files may have come
// before the first read, so both handlers run once it is issued.
WatchEnd WatchFolder(const WorkerStart& start, HANDLE folder, const std::wstring& path, HANDLE packageChange,
                     bool lookFirst)
{
    MonitorState& state = *start.state;
    alignas(DWORD) BYTE buffer[kChangeBufferBytes];
    OVERLAPPED overlapped{};
    overlapped.hEvent = start.io;
    bool pending = false;
    unsigned retry = 0;  // the handlers whose file its writer held
    DWORD retryMs = kFirstRetryMs;
    WatchEnd end = WatchEnd::Stopped;
    for (;;) {
        if (!pending) {
            ::ResetEvent(start.io);
            std::memset(buffer, 0, sizeof(buffer));
            if (!::ReadDirectoryChangesW(folder, buffer, sizeof(buffer), FALSE, kChangeFilter, nullptr, &overlapped,
                                         nullptr)) {
                if (!StillTheFolder(folder, path)) {
                    end = WatchEnd::FolderLost;
                } else if (::WaitForSingleObject(start.stop, kFailedSetupWaitMs) == WAIT_TIMEOUT) {
                    state.SubmitMonitorFailed(L"LocalState");
                }
                break;
            }
            pending = true;
            if (lookFirst) retry = RunHandlers(state, start.packageFamilyName, kBoth);
            lookFirst = false;
        }
        const HANDLE handles[] = {start.io, start.stop, packageChange};
        const DWORD count = packageChange ? 3 : 2;
        const DWORD woken = ::WaitForMultipleObjects(count, handles, FALSE, retry ? retryMs : kFolderCheckMs);
        unsigned held = 0;
        if (woken == WAIT_TIMEOUT && !retry) {
            if (StillTheFolder(folder, path)) continue;
            end = WatchEnd::FolderLost;
            break;
        }
        if (woken == WAIT_TIMEOUT) {
            held = RunHandlers(state, start.packageFamilyName, retry);
            retryMs = held ? std::min(retryMs * 2, kLongestRetryMs) : kFirstRetryMs;
            retry = held;
            continue;
        }
        if (woken == WAIT_OBJECT_0 + 2) {
            ::FindNextChangeNotification(packageChange);
            if (StillTheFolder(folder, path)) continue;
            end = WatchEnd::FolderLost;
            break;
        }
        if (woken != WAIT_OBJECT_0) break;
        pending = false;  // the event is set only by the completion
        if (PackageGone(state, start.packageFamilyName)) {
            end = WatchEnd::PackageGone;
            break;
        }
        DWORD bytes = 0;
        if (!::GetOverlappedResult(folder, &overlapped, &bytes, FALSE)) {
            if (!StillTheFolder(folder, path)) {
                end = WatchEnd::FolderLost;
                break;
            }
            bytes = 0;  // nothing tells which file changed
        }
        held = DispatchChanges(state, start.packageFamilyName, buffer, bytes, retry);
        if (held & ~retry) retryMs = kFirstRetryMs;
        retry = held;
    }
    if (pending) {
        // The system still owns buffer and overlapped until the read completes.
        DWORD ignored = 0;
        ::CancelIoEx(folder, &overlapped);
        ::GetOverlappedResult(folder, &overlapped, &ignored, TRUE);
    }
    return end;
}

// Waits until a LocalState is there again, as the app makes it anew after a
// reset; false on a stop request or when the package is gone.
bool WaitForLocalStateAgain(const WorkerStart& start, const std::wstring& path, HANDLE packageChange, WatchEnd& end)
{
    for (;;) {
        if (PackageGone(*start.state, start.packageFamilyName)) {
            end = WatchEnd::PackageGone;
            return false;
        }
        if (::PathFileExistsW(path.c_str())) return true;
        const HANDLE handles[] = {start.stop, packageChange};
        const DWORD woken = ::WaitForMultipleObjects(packageChange ? 2 : 1, handles, FALSE, kLocalStateLookMs);
        if (woken == WAIT_OBJECT_0 + 1)
            ::FindNextChangeNotification(packageChange);
        else if (woken != WAIT_TIMEOUT)
            return false;
    }
}

void RunLocalStateWatcher(const WorkerStart& start)
{
    MonitorState& state = *start.state;
    const std::wstring path = state.Paths().LocalStateFolder(start.packageFamilyName);
    if (!WaitForFolder(path)) {
        state.EndWatcher(start.stop);
        return;
    }
    state.SignalWaiterStop();
    WatchEnd end = WatchEnd::Stopped;
    {
        // The package folder's own changes tell when LocalState goes or comes.
        unique_change_notification packageChange(::FindFirstChangeNotificationW(
            state.Paths().PackageFolder(start.packageFamilyName).c_str(), FALSE, FILE_NOTIFY_CHANGE_DIR_NAME));
        const HANDLE change = packageChange ? packageChange.get() : nullptr;
        for (bool again = false;; again = true) {
            unique_file folder = OpenFolder(path);
            if (!folder) break;
            end = WatchFolder(start, folder.get(), path, change, again);
            folder.reset();  // a deleted folder goes only once no handle holds it
            if (end != WatchEnd::FolderLost || !WaitForLocalStateAgain(start, path, change, end)) break;
        }
    }
    state.EndWatcher(start.stop);

    // Stale package folder removal: only an empty folder goes.
    if (end != WatchEnd::PackageGone) return;
    const std::wstring packageFolder = state.Paths().PackageFolder(start.packageFamilyName);
    if (!packageFolder.empty() && ::PathFileExistsW(packageFolder.c_str()) &&
        !state.IsCompanionInstalled(start.packageFamilyName))
        ::RemoveDirectoryW(packageFolder.c_str());
}

}  // namespace

unsigned DispatchChanges(MonitorState& state, const std::wstring& packageFamilyName, const BYTE* buffer, DWORD bytes,
                         unsigned retry)
{
    Handler order[2] = {};
    size_t named = 0;
    DWORD offset = 0;
    while (offset + offsetof(FILE_NOTIFY_INFORMATION, FileName) <= bytes) {
        const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + offset);
        const DWORD nameBytes = record->FileNameLength;
        if (offset + offsetof(FILE_NOTIFY_INFORMATION, FileName) + nameBytes > bytes) break;
        std::wstring name(record->FileName, nameBytes / sizeof(wchar_t));
        _wcsupr_s(name.data(), name.size() + 1);
        Handler handler{};
        if (StartsWith(name, L"APP.INFO"))
            handler = kAppInfo;
        else if (StartsWith(name, L"COMMAND.INFO"))
            handler = kCommandInfo;
        if (handler && std::find(order, order + named, handler) == order + named) order[named++] = handler;
        if (record->NextEntryOffset == 0) break;
        offset += record->NextEntryOffset;
    }
    // Lost records (a full buffer) say nothing of which file changed: both
    // handlers read their fixed names and take a repeat in their stride.
    if (bytes == 0) {
        order[0] = kAppInfo;
        order[1] = kCommandInfo;
        named = 2;
    }
    for (size_t i = 0; i < named; ++i) retry = (retry & ~order[i]) | Run(state, packageFamilyName, order[i]);
    return retry;
}

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
