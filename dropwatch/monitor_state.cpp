#include "monitor_state.h"

#include <memory>

#include "companion_app.h"
#include "srw_lock.h"
#include "worker_start.h"

namespace tapdeck {
namespace {

constexpr DWORD kStopWaitMs = 200;

// A counted reference on the module that holds this code: the agent frees
// the library right after StopMonitor, and a worker still running must keep
// its code mapped until it has left it.
HMODULE AcquireModuleReference()
{
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<LPCWSTR>(&AcquireModuleReference), &module))
        return nullptr;
    return module;
}

unique_event CreateAutoResetEvent() { return unique_event(::CreateEventW(nullptr, FALSE, FALSE, nullptr)); }

// Starts a worker with its own module reference; null when it could not.
unique_thread StartWorker(LPTHREAD_START_ROUTINE routine, std::unique_ptr<WorkerStart> start)
{
    start->module = AcquireModuleReference();
    if (!start->module) return {};
    HMODULE module = start->module;
    unique_thread thread(::CreateThread(nullptr, 0, routine, start.get(), 0, nullptr));
    if (thread)
        start.release();  // the thread owns it now
    else
        ::FreeLibrary(module);
    return thread;
}

unique_handle Duplicate(HANDLE handle)
{
    HANDLE copy = nullptr;
    if (handle) ::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
    return unique_handle(copy);
}

}  // namespace

MonitorDependencies MonitorDependencies::Platform()
{
    MonitorDependencies platform;
    platform.isPackageFamilyInstalled = IsPackageFamilyInstalled;
    platform.getKnownFolderPath = ::SHGetKnownFolderPath;
    return platform;
}

MonitorState::MonitorState(const MonitorDependencies& dependencies)
    : dependencies_(dependencies),
      paths_(dependencies.getKnownFolderPath),
      photoshop_(dependencies.photoshopRoot)
{
}

DWORD MonitorState::StartMonitor()
{
    {
        SrwGuard guard(handleLock_);
        stopping_ = false;
    }
    if (usage_.Status() != 0) usage_.Init();
    if (!LoadMonitorProfile()) return 0;
    const bool running =
        IsCompanionInstalled(PackageFamilyName()) ? StartLocalStateWatch() : StartPackageWait();
    return running ? 1 : 0;
}

bool MonitorState::LoadMonitorProfile()
{
    const std::wstring configPath = paths_.ConfigPath();
    if (configPath.empty()) return false;
    CompanionProfileReader reader;
    if (!reader.ReadProfile(configPath) || reader.Entries().empty()) return false;
    SrwGuard guard(handleLock_);
    profile_ = reader.Entries();
    return true;
}

void MonitorState::StopMonitor()
{
    unique_handle waiter;
    unique_handle watcher;
    {
        SrwGuard guard(handleLock_);
        stopping_ = true;
        if (waiterStop_) ::SetEvent(waiterStop_.get());
        if (watcherStop_) ::SetEvent(watcherStop_.get());
        // Our own copies: a worker closes its handle as it ends.
        waiter = Duplicate(waiterThread_.get());
        watcher = Duplicate(watcherThread_.get());
    }
    if (waiter) ::WaitForSingleObject(waiter.get(), kStopWaitMs);
    if (watcher) ::WaitForSingleObject(watcher.get(), kStopWaitMs);
    if (usage_.Status() == 0) usage_.Release();
}

bool MonitorState::StartPackageWait()
{
    SrwGuard guard(handleLock_);
    if (stopping_) return false;
    if (waiterStop_ && waiterThread_) return true;
    unique_event stop = CreateAutoResetEvent();
    if (!stop) return false;
    auto start = std::make_unique<WorkerStart>();
    start->state = this;
    start->packageFamilyName = profile_.empty() ? std::wstring() : profile_.front().packageFamilyName;
    start->stop = stop.get();
    unique_thread thread = StartWorker(PackageWaiterThread, std::move(start));
    if (!thread) return false;
    waiterStop_ = std::move(stop);
    waiterThread_ = std::move(thread);
    return true;
}

bool MonitorState::StartLocalStateWatch()
{
    SrwGuard guard(handleLock_);
    if (stopping_) return false;
    if (watcherIo_ && watcherStop_ && watcherThread_) return true;
    unique_event io = CreateAutoResetEvent();
    if (!io) return false;
    unique_event stop = CreateAutoResetEvent();
    if (!stop) return false;
    auto start = std::make_unique<WorkerStart>();
    start->state = this;
    start->packageFamilyName = profile_.empty() ? std::wstring() : profile_.front().packageFamilyName;
    start->stop = stop.get();
    start->io = io.get();
    unique_thread thread = StartWorker(LocalStateWatcherThread, std::move(start));
    if (!thread) return false;
    watcherIo_ = std::move(io);
    watcherStop_ = std::move(stop);
    watcherThread_ = std::move(thread);
    return true;
}

bool MonitorState::IsCompanionInstalled(const std::wstring& packageFamilyName) const
{
    return dependencies_.isPackageFamilyInstalled &&
           dependencies_.isPackageFamilyInstalled(packageFamilyName.c_str());
}

std::wstring MonitorState::PackageFamilyName() const
{
    SrwGuard guard(handleLock_);
    return profile_.empty() ? std::wstring() : profile_.front().packageFamilyName;
}

bool MonitorState::WaiterRunning() const
{
    SrwGuard guard(handleLock_);
    return waiterStop_ && waiterThread_;
}

bool MonitorState::WatcherRunning() const
{
    SrwGuard guard(handleLock_);
    return watcherIo_ && watcherStop_ && watcherThread_;
}

void MonitorState::SubmitMonitorFailed(const wchar_t* folder)
{
    const wchar_t* strings[] = {L"MonitorFunction", folder, L"MonitorFailed", L"Count"};
    SubmitUsageEvent(4, strings);
}

void MonitorState::SignalWaiterStop()
{
    SrwGuard guard(handleLock_);
    if (waiterStop_) ::SetEvent(waiterStop_.get());
}

void MonitorState::SignalWatcherStop()
{
    SrwGuard guard(handleLock_);
    if (watcherStop_) ::SetEvent(watcherStop_.get());
}

void MonitorState::EndWaiter(HANDLE stop)
{
    SrwGuard guard(handleLock_);
    if (waiterStop_.get() != stop) return;
    waiterThread_.reset();
    waiterStop_.reset();
}

void MonitorState::EndWatcher(HANDLE stop)
{
    SrwGuard guard(handleLock_);
    if (watcherStop_.get() != stop) return;
    watcherIo_.reset();
    watcherStop_.reset();
    watcherThread_.reset();
}

}  // namespace tapdeck
