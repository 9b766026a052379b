#include "pairwell_app.h"

#include "dialogs.h"
#include "wlan_profile.h"

namespace tapdeck::pairwell {
namespace {

constexpr wchar_t kDisconnectSwitch[] = L"/Disconnect";
// "/Disconnect /<name>": the name starts after the switch, a blank and a slash.
constexpr size_t kDisconnectNameStart = 13;

}  // namespace

CPairwell::CPairwell(PackageQuery isInstalled) : observer_(kPairwellIdentity), run_(nullptr, std::move(isInstalled))
{
}

CPairwell::~CPairwell()
{
    // A halt that arrives as the process ends is handled on the observer
    // thread, which calls into the run: the thread ends before the run goes.
    observer_.StopObserve();
    if (instanceMutex_) ::ReleaseMutex(instanceMutex_.get());
    instanceMutex_.reset();
    // Then the run, then the observer: member order.
}

void CPairwell::HandleCommandLine(HINSTANCE instance, const wchar_t* commandLine)
{
    const std::wstring text = commandLine ? commandLine : L"";
    if (text.find(kDisconnectSwitch) == 0) {
        run_.DisconnectCamera(text.size() > kDisconnectNameStart ? text.substr(kDisconnectNameStart) : L"");
        return;
    }
    if (EqualsNoCase(text, L"/HaltAll")) {
        observer_.SetShutdownAll();
        return;
    }
    RunPayload(instance, text.c_str());
}

void CPairwell::RunPayload(HINSTANCE instance, const wchar_t* commandLine)
{
    unique_mutex mutex(::CreateMutexW(nullptr, TRUE, kInstanceMutexName));
    if (mutex && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        instanceMutex_ = std::move(mutex);
        observer_.SetSink(this);
        observer_.CreateUserMutex();
        observer_.CreateAllMutex();
        observer_.StartObserve();
        run_.RunConnection(instance, commandLine);
        return;
    }
    // Another Pairwell runs the flow: this payload is dropped, and the
    // dialog the user may be looking at comes forward.
    mutex.reset();
    if (const HWND dialog = FindOpenDialog()) ::PostMessageW(dialog, WM_FLASH_DIALOG, 0, 0);
}

void CPairwell::ReleaseInstanceObjects()
{
    if (observer_.IsObserving()) observer_.SignalStop();
    observer_.CloseMutexes();
}

void CPairwell::OnShutdownAll() { CloseDialogOrCancel(); }

void CPairwell::OnShutdownUser() { CloseDialogOrCancel(); }

void CPairwell::CloseDialogOrCancel()
{
    if (const HWND dialog = FindOpenDialog()) ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    // Always: the connect loop may run beside a dialog that the toast's
    // click opened, and a halt before the loop must not be lost.
    run_.Cancel();
}

}  // namespace tapdeck::pairwell
