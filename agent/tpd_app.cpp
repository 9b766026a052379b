#include "tpd_app.h"

#include <shlwapi.h>

#include "../dropwatch/dropwatch_exports.h"
#include "agent_messages.h"
#include "compare_no_case.h"
#include "dialog_loop.h"
#include "installation.h"
#include "known_folder.h"
#include "main_dlg.h"
#include "nfc/publish.h"
#include "proc_address.h"
#include "resource_ids.h"
#include "window_class.h"
#include "window_user_data.h"
#include "write_tag_run.h"

namespace tapdeck {
namespace {

constexpr DWORD kDialogThreadWaitMs = 300;

bool IsSwitch(const wchar_t* commandLine, const wchar_t* name) { return EqualsNoCase(commandLine, name); }

}  // namespace

CTPDApp::CTPDApp() : observer_(kAgentIdentity), nfc_(usage_) {}

void CTPDApp::OnShutdownAll() { PostCloseToAgent(); }

void CTPDApp::OnShutdownUser() { PostCloseToAgent(); }

void CTPDApp::PostCloseToAgent()
{
    // Kept for a window still to come: the shutdown events stay signalled, so
    // a request lost now would never be repeated. The window's creator checks
    // the flag after publishing the window, so one of the two posts.
    closeRequested_ = true;
    if (HWND window = agentWindow_.load()) ::PostMessageW(window, WM_CLOSE, 0, 0);
}

CTPDApp::OneShot CTPDApp::RunOneShotSwitch(const wchar_t* commandLine)
{
    if (IsSwitch(commandLine, L"/CreateDesktopShortcut"))
        return CreateDesktopShortcut(*this) ? OneShot::Done : OneShot::Failed;
    if (IsSwitch(commandLine, L"/Install")) return Install(*this) ? OneShot::Done : OneShot::Failed;
    if (IsSwitch(commandLine, L"/HaltAll")) {
        observer_.SetShutdownAll();
    } else if (IsSwitch(commandLine, L"/Uninstall")) {
        observer_.SetShutdownAll();
        Uninstall();
    } else if (IsSwitch(commandLine, L"/HaltAllAndWait")) {
        return HaltAllAndWait(observer_, ProgramFilesPath()) ? OneShot::Done : OneShot::Failed;
    } else if (IsSwitch(commandLine, L"/RunLogonTask")) {
        RunLogonTask();
    } else if (IsSwitch(commandLine, L"/WriteWifiTag")) {
        RunWriteTagSwitch(observer_);
    } else {
        return OneShot::None;
    }
    return OneShot::Done;
}

BOOL CTPDApp::StartAgent(HINSTANCE instance, const wchar_t* commandLine)
{
    if (!commandLine) commandLine = L"";
    if (const OneShot done = RunOneShotSwitch(commandLine); done != OneShot::None) {
        oneShotFailed_ = done == OneShot::Failed;
        return FALSE;
    }
    const bool autoStarted = IsSwitch(commandLine, L"/AutoStart");

    instanceMutex_.reset(::CreateMutexW(nullptr, TRUE, kInstanceMutexName));
    if (!instanceMutex_ || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        // Not ours: closing the handle leaves the running agent's ownership alone.
        instanceMutex_.reset();
        ForwardPublishRequest(commandLine, !autoStarted);
        return FALSE;
    }

    observer_.SetSink(this);
    observer_.CreateUserMutex();
    observer_.CreateAllMutex();
    observer_.StartObserve();

    ::RegisterApplicationRestart(L"/AutoStart", RESTART_NO_REBOOT);

    instance_ = instance;
    LoadDropwatch();

    deviceOpened_ = nfc_.OpenDevice();
    if (deviceOpened_) {
        subscribed_ = nfc_.SubscribeAll();
        if (!subscribed_) return FALSE;
    }

    if (!CreateAgentWindow()) return FALSE;
    HWND window = agentWindow_.load();
    if (closeRequested_) {
        // Asked to close during start-up: the loop runs only to end the agent.
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
    }
    if (!autoStarted) ::PostMessageW(window, WM_SHOW_MAIN_DLG, 0, 0);
    usageTimer_ = ::SetTimer(window, TIMER_USAGE_REPORT, kUsageReportDelayMs, nullptr);
    if (!deviceOpened_) retryTimer_ = ::SetTimer(window, TIMER_DEVICE_RETRY, kDeviceRetryMs, nullptr);
    return TRUE;
}

void CTPDApp::LoadDropwatch()
{
    if (!CacheKnownFolder(FOLDERID_ProgramFiles, programFilesPath_)) return;
    const std::wstring path = InstalledPath(programFilesPath_, L"Dropwatch.dll");
    if (!::PathFileExistsW(path.c_str())) return;
    dropwatchModule_.reset(::LoadLibraryW(path.c_str()));
    if (!dropwatchModule_) return;
    if (auto start = GetProcAddressAs<StartMonitorFn>(dropwatchModule_.get(), "StartMonitor"))
        start();
}

bool CTPDApp::CreateAgentWindow()
{
    appIcon_.reset(static_cast<HICON>(
        ::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TAPDECK), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
    if (!appIcon_) return false;

    if (!RegisterWindowClass(instance_, kAgentWindowClass, AgentWindowProc, appIcon_.get(), nullptr)) return false;

    HWND window = ::CreateWindowExW(0, kAgentWindowClass, kAgentWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, this);
    if (!window) return false;
    agentWindow_ = window;
    return ::SetPropW(window, kAgentWindowProp, reinterpret_cast<HANDLE>(1)) != FALSE;
}

int CTPDApp::RunMessageLoop()
{
    MSG message{};
    BOOL got = FALSE;
    while ((got = ::GetMessageW(&message, nullptr, 0, 0)) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    // Only WM_QUIT carries the exit code; a failed GetMessageW leaves none.
    return got == 0 ? static_cast<int>(message.wParam) : 0;
}

LRESULT CALLBACK CTPDApp::AgentWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = WindowUserData<CTPDApp>(window, message, lParam);
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    return self->OnMessage(window, message, wParam, lParam);
}

LRESULT CTPDApp::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        RemoveAllProps(window);
        ::PostQuitMessage(0);
        return 0;
    case WM_COPYDATA:
        OnCopyData(*this, window, message, reinterpret_cast<COPYDATASTRUCT*>(lParam));
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_SHOW_MAIN_DLG:
        ShowMainDialog();
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

void CTPDApp::OnTimer(UINT_PTR timerId)
{
    if (usageTimer_ && timerId == usageTimer_) {
        ::KillTimer(agentWindow_.load(), usageTimer_);
        usageTimer_ = 0;
        OnUsageReportTimer();
    } else if (retryTimer_ && timerId == retryTimer_) {
        OnDeviceRetryTimer();
    }
}

void CTPDApp::OnDeviceRetryTimer()
{
    HWND window = agentWindow_.load();
    if (++retryCount_ >= kDeviceRetryLimit) {
        ::KillTimer(window, retryTimer_);
        retryTimer_ = 0;
    }
    deviceOpened_ = nfc_.OpenDevice();
    if (deviceOpened_) {
        if (retryTimer_) {
            ::KillTimer(window, retryTimer_);
            retryTimer_ = 0;
        }
        subscribed_ = nfc_.SubscribeAll();
        if (!subscribed_) CloseAgentUnlessDialogOpen();
    }
    if (retryCount_ >= kDeviceRetryLimit && !deviceOpened_) CloseAgentUnlessDialogOpen();
}

void CTPDApp::CloseAgentUnlessDialogOpen()
{
    // Remembered before looking: a dialog that ends after it was found
    // still sees the close it held back, and carries it out.
    closeDeferred_ = true;
    if (!FindMainDialog()) PostCloseToAgent();
}

void CTPDApp::ShowMainDialog()
{
    {
        std::lock_guard lock(dialogThreadLock_);
        if (!mainDialogThread_) {
            DWORD threadId = 0;
            mainDialogThread_.reset(
                ::CreateThread(nullptr, 0, MainDialogThread, this, CREATE_SUSPENDED, &threadId));
            mainDialogThreadId_ = mainDialogThread_ ? threadId : 0;
            if (mainDialogThread_) ::ResumeThread(mainDialogThread_.get());
            return;
        }
    }
    // A dialog thread that has not ended is the one main dialog, even before
    // its window carries the property: raise it if it is there yet.
    if (HWND dialog = FindMainDialog()) ::PostMessageW(dialog, WM_RAISE_MAIN_DLG, 0, 0);
}

DWORD WINAPI CTPDApp::MainDialogThread(void* param)
{
    auto* self = static_cast<CTPDApp*>(param);
    CMainDlg dialog(*self);
    if (HWND window = dialog.Create()) RunDialogLoop(window);
    dialog.ReleaseClassAndFont();
    self->EndMainDialogThread();
    if (self->closeDeferred_) self->PostCloseToAgent();
    return 0;
}

void CTPDApp::EndMainDialogThread()
{
    std::lock_guard lock(dialogThreadLock_);
    if (mainDialogThreadId_ != ::GetCurrentThreadId()) return;  // someone else owns the handle now
    mainDialogThread_.reset();
    mainDialogThreadId_ = 0;
}

void CTPDApp::Shutdown()
{
    observer_.SignalStop();
    observer_.CloseMutexes();
    if (deviceOpened_) {
        nfc_.Close();
        deviceOpened_ = FALSE;
    }
    HWND window = agentWindow_.load();
    if (window && usageTimer_) {
        ::KillTimer(window, usageTimer_);
        usageTimer_ = 0;
    }
    unique_thread dialogThread;
    {
        std::lock_guard lock(dialogThreadLock_);
        dialogThread = std::move(mainDialogThread_);
        mainDialogThreadId_ = 0;
    }
    if (dialogThread) {
        if (HWND dialog = FindMainDialog()) ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        dialogOutlivedShutdown_ = ::WaitForSingleObject(dialogThread.get(), kDialogThreadWaitMs) != WAIT_OBJECT_0;
        dialogThread.reset();
    }
    if (dropwatchModule_) {
        if (auto stop = GetProcAddressAs<StopMonitorFn>(dropwatchModule_.get(), "StopMonitor"))
            stop();
        if (::FreeLibrary(dropwatchModule_.get())) dropwatchModule_.release();
    }
    usage_.Release();
    appIcon_.reset();
    if (instanceMutex_) {
        ::ReleaseMutex(instanceMutex_.get());
        instanceMutex_.reset();
    }
}

}  // namespace tapdeck
