#include "write_tag_run.h"

#include <atomic>

#include "agent_messages.h"
#include "unique_handle.h"
#include "write_tag_dlg.h"

namespace tapdeck {
namespace {

// The first start may not have its window yet.
constexpr ULONGLONG kFindOpenDialogMs = 5000;
constexpr DWORD kFindPollMs = 50;

void RaiseOpenDialog()
{
    const ULONGLONG deadline = ::GetTickCount64() + kFindOpenDialogMs;
    HWND dialog = FindWindowWithProp(kWriteTagDialogProp);
    while (!dialog && ::GetTickCount64() < deadline) {
        ::Sleep(kFindPollMs);
        dialog = FindWindowWithProp(kWriteTagDialogProp);
    }
    if (!dialog) return;
    // The user started us: we may hand the foreground on to the open one.
    DWORD owner = 0;
    ::GetWindowThreadProcessId(dialog, &owner);
    if (owner) ::AllowSetForegroundWindow(owner);
    ::PostMessageW(dialog, WM_RAISE_WRITE_TAG_DLG, 0, 0);
}

// Closes the dialog when every instance is asked to close; a request that
// comes before the window exists is kept for it.
class CloseOnShutdown final : public CObserveApp::IObserveEvent {
public:
    void OnShutdownAll() override { Close(); }
    void OnShutdownUser() override { Close(); }
    void Attach(HWND window)
    {
        window_ = window;
        if (requested_) Close();
    }

private:
    void Close()
    {
        requested_ = true;
        if (HWND window = window_.load()) ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    std::atomic<HWND> window_{nullptr};
    std::atomic<bool> requested_{false};
};

}  // namespace

void RunWriteTagSwitch(CObserveApp& agentObserver)
{
    unique_mutex single(::CreateMutexW(nullptr, TRUE, kWriteTagMutexName));
    if (!single || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        RaiseOpenDialog();
        return;
    }
    CloseOnShutdown sink;
    agentObserver.SetSink(&sink);
    agentObserver.StartObserve();
    {
        CWriteTagDlg dialog(::GetModuleHandleW(nullptr));
        if (HWND window = dialog.Create()) {
            sink.Attach(window);
            dialog.RunLoop();
        }
    }
    agentObserver.StopObserve();
    agentObserver.SetSink(nullptr);
    ::ReleaseMutex(single.get());
}

}  // namespace tapdeck
