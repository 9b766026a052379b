#pragma once
// The agent's main dialog on a thread of its own, as the agent's main-dialog
// thread runs it, reduced to what the dialog needs.
#include <windows.h>

#include "dialog_loop.h"
#include "main_dlg.h"
#include "tpd_app.h"
#include "unique_handle.h"

namespace tapdeck::test {

class MainDialogThread {
public:
    explicit MainDialogThread(CTPDApp& app) : app_(app)
    {
        ready_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        thread_.reset(::CreateThread(nullptr, 0, Run, this, 0, nullptr));
        ::WaitForSingleObject(ready_.get(), 10000);
    }
    MainDialogThread(const MainDialogThread&) = delete;
    MainDialogThread& operator=(const MainDialogThread&) = delete;
    ~MainDialogThread()
    {
        if (::IsWindow(window_)) ::PostMessageW(window_, WM_CLOSE, 0, 0);
        WaitForEnd();
    }
    HWND Window() const { return window_; }
    bool WaitForEnd() { return ::WaitForSingleObject(thread_.get(), 10000) == WAIT_OBJECT_0; }

private:
    static DWORD WINAPI Run(void* param)
    {
        auto* self = static_cast<MainDialogThread*>(param);
        CMainDlg dialog(self->app_);
        self->window_ = dialog.Create();
        ::SetEvent(self->ready_.get());
        if (self->window_) RunDialogLoop(self->window_);
        dialog.ReleaseClassAndFont();
        return 0;
    }

    CTPDApp& app_;
    HWND window_ = nullptr;
    unique_event ready_;
    unique_thread thread_;
};

}  // namespace tapdeck::test
