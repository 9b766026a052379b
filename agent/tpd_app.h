#pragma once
// The resident agent: command line, single instance, lifetime and shutdown.
#include <windows.h>
#include <atomic>
#include <mutex>
#include <string>

#include "nfc/nfc_manager.h"
#include "observe_app.h"
#include "unique_handle.h"
#include "usage_stats.h"

namespace tapdeck {

class CTPDApp final : public CObserveApp::IObserveEvent {
public:
    CTPDApp();
    CTPDApp(const CTPDApp&) = delete;
    CTPDApp& operator=(const CTPDApp&) = delete;

    // Nonzero when the message loop is to run.
    BOOL StartAgent(HINSTANCE instance, const wchar_t* commandLine);
    int RunMessageLoop();
    void Shutdown();
    // True when the main-dialog thread still ran after Shutdown gave up
    // waiting for it: it still uses this object, so the process must end
    // without destroying it.
    bool DialogOutlivedShutdown() const noexcept { return dialogOutlivedShutdown_; }

    void OnShutdownAll() override;
    void OnShutdownUser() override;

    // The exit code of a one-shot switch: 0, or kOneShotFailed when "/Install"
    // or "/CreateDesktopShortcut" could not do its work, so that an installer
    // that runs them can fail and roll back, or when "/HaltAllAndWait" gave up
    // with a program of the install folder still running.
    int OneShotExitCode() const noexcept { return oneShotFailed_ ? kOneShotFailed : 0; }
    static constexpr int kOneShotFailed = 1;

    HINSTANCE Instance() const noexcept { return instance_; }
    HICON AppIcon() const noexcept { return appIcon_.get(); }
    HWND AgentWindow() const noexcept { return agentWindow_.load(); }
    std::wstring& ProgramFilesPath() noexcept { return programFilesPath_; }
    UsageUser& Usage() noexcept { return usage_; }
    CNFCManager& Nfc() noexcept { return nfc_; }

private:
    enum class OneShot { None, Done, Failed };

    OneShot RunOneShotSwitch(const wchar_t* commandLine);
    void LoadDropwatch();
    bool CreateAgentWindow();
    static LRESULT CALLBACK AgentWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR timerId);
    void OnUsageReportTimer();
    void OnDeviceRetryTimer();
    void ShowMainDialog();
    void CloseAgentUnlessDialogOpen();
    void PostCloseToAgent();
    static DWORD WINAPI MainDialogThread(void* param);
    void EndMainDialogThread();

    CObserveApp observer_;
    UsageUser usage_;  // before nfc_, which submits through it
    CNFCManager nfc_;
    std::wstring programFilesPath_;
    unique_hmodule dropwatchModule_;
    HINSTANCE instance_ = nullptr;
    std::atomic<HWND> agentWindow_{nullptr};
    unique_hicon appIcon_;
    UINT_PTR usageTimer_ = 0;
    UINT_PTR retryTimer_ = 0;
    std::atomic<LONG> retryCount_{0};
    BOOL deviceOpened_ = FALSE;
    std::atomic<BOOL> subscribed_{FALSE};
    std::atomic<bool> closeRequested_{false};
    std::atomic<bool> closeDeferred_{false};  // the agent is to end once the main dialog has
    unique_mutex instanceMutex_;
    bool oneShotFailed_ = false;

    // The main-dialog thread handle has one owner of record at a time: the
    // thread whose id is recorded closes it when it ends, and Shutdown takes
    // it over before waiting. While it is set, that thread is the one main
    // dialog, so a new dialog request never starts a second one.
    std::mutex dialogThreadLock_;
    unique_thread mainDialogThread_;   // guarded by dialogThreadLock_
    DWORD mainDialogThreadId_ = 0;     // guarded by dialogThreadLock_
    bool dialogOutlivedShutdown_ = false;
};

}  // namespace tapdeck
