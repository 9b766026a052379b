#include "observe_app.h"

#include <cwchar>
#include <new>

#include "shared_object_security.h"

namespace tapdeck {
namespace {

constexpr DWORD kStopTimeoutMs = 2000;

}  // namespace

HANDLE CreateSharedMutex(const wchar_t* name)
{
    SharedObjectSecurity security;
    HANDLE mutex = ::CreateMutexW(security.Attributes(), FALSE, name);
    if (!mutex) mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, name);
    return mutex;
}

HANDLE CreateSharedEvent(const wchar_t* name)
{
    SharedObjectSecurity security;
    HANDLE event = ::CreateEventW(security.Attributes(), TRUE, FALSE, name);
    if (!event) event = ::OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, name);
    return event;
}

CObserveApp::CObserveApp(const wchar_t* identity)
{
    const size_t length = std::wcslen(identity);
    identity_.reset(new (std::nothrow) wchar_t[length + 1]());
    if (!identity_) return;
    std::wmemcpy(identity_.get(), identity, length);

    if (auto name = FormatObjectName(L"%s-Shutdown-User")) userShutdownEvent_.reset(CreateSharedEvent(name.get()));
    if (auto name = FormatObjectName(L"Global\\%s-Shutdown-All")) allShutdownEvent_.reset(CreateSharedEvent(name.get()));
}

CObserveApp::~CObserveApp()
{
    // The thread waits on the events below: it must be gone before they close.
    StopObserve();
    userMutex_.reset();
    allMutex_.reset();
    userShutdownEvent_.reset();
    allShutdownEvent_.reset();
    identity_.reset();
}

std::unique_ptr<wchar_t[]> CObserveApp::FormatObjectName(const wchar_t* pattern) const
{
    if (!identity_) return nullptr;
    const size_t size = std::wcslen(pattern) + std::wcslen(identity_.get()) + 1;
    std::unique_ptr<wchar_t[]> name(new (std::nothrow) wchar_t[size]());
    if (name) ::swprintf_s(name.get(), size, pattern, identity_.get());
    return name;
}

void CObserveApp::TakeMutex(unique_mutex& mutex, const wchar_t* pattern)
{
    if (!mutex) {
        if (auto name = FormatObjectName(pattern)) mutex.reset(CreateSharedMutex(name.get()));
    }
    if (mutex) ::WaitForSingleObject(mutex.get(), 0);
}

bool CObserveApp::WaitUntilNoneRuns(DWORD timeoutMs) const
{
    auto name = FormatObjectName(L"Global\\%s-MutexAll");
    if (!name) return false;
    unique_mutex mutex(::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.get()));
    if (!mutex) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    switch (::WaitForSingleObject(mutex.get(), timeoutMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
        ::ReleaseMutex(mutex.get());
        return true;
    default:
        return false;
    }
}

void CObserveApp::CreateUserMutex() { TakeMutex(userMutex_, L"%s-MutexUser"); }

void CObserveApp::CreateAllMutex() { TakeMutex(allMutex_, L"Global\\%s-MutexAll"); }

bool CObserveApp::EndThread() noexcept
{
    bool ended = true;
    if (thread_) {
        if (stopEvent_) ::SetEvent(stopEvent_.get());
        if (::WaitForSingleObject(thread_.get(), kStopTimeoutMs) == WAIT_TIMEOUT) {
            ::TerminateThread(thread_.get(), 0);
            ended = false;
        }
        thread_.reset();
    }
    stopEvent_.reset();
    return ended;
}

void CObserveApp::StartObserve()
{
    EndThread();
    stopEvent_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    thread_.reset(::CreateThread(nullptr, 0, ObserveThread, this, 0, nullptr));
}

bool CObserveApp::StopObserve() { return EndThread(); }

void CObserveApp::SignalStop() noexcept
{
    if (thread_ && stopEvent_) ::SetEvent(stopEvent_.get());
}

void CObserveApp::CloseMutexes() noexcept
{
    userMutex_.reset();
    allMutex_.reset();
}

DWORD WINAPI CObserveApp::ObserveThread(void* param)
{
    auto* self = static_cast<CObserveApp*>(param);
    const HANDLE handles[] = {self->stopEvent_.get(), self->allShutdownEvent_.get(), self->userShutdownEvent_.get()};
    switch (::WaitForMultipleObjects(3, handles, FALSE, INFINITE)) {
    case WAIT_OBJECT_0 + 1:
        if (self->sink_) self->sink_->OnShutdownAll();
        break;
    case WAIT_OBJECT_0 + 2:
        if (self->sink_) self->sink_->OnShutdownUser();
        break;
    default:  // stop, or a wait that failed on a missing handle
        break;
    }
    return 0;
}

}  // namespace tapdeck
