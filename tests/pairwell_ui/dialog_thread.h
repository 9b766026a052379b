#pragma once
// Runs one Pairwell dialog on a thread of its own, as the flow runs it on
// its main thread, and finds the dialog's window in this process.
#include <windows.h>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "support/process.h"
#include "window_props.h"

namespace tapdeck::test {

// The window of this process that carries the property, or null.
inline HWND OwnWindowWithProperty(const wchar_t* prop)
{
    HWND own = nullptr;
    for (HWND window : WindowsWithProp(prop)) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        if (pid == ::GetCurrentProcessId()) own = window;
    }
    return own;
}

class DialogThread {
public:
    explicit DialogThread(std::function<int()> show)
        : thread_([this, show = std::move(show)] {
              threadId_ = ::GetCurrentThreadId();
              result_ = show();
              done_ = true;
          })
    {
    }
    ~DialogThread()
    {
        if (!done_ && window_) ::PostMessageW(window_, WM_CLOSE, 0, 0);
        // A test that stopped before it found the window still ends the
        // thread: the loop stops on a quit message.
        for (int tries = 0; !done_ && tries < 1000; ++tries) {
            if (!window_ && threadId_) ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
            ::Sleep(10);
        }
        thread_.join();
    }
    DialogThread(const DialogThread&) = delete;
    DialogThread& operator=(const DialogThread&) = delete;

    HWND WaitForDialog(const wchar_t* prop)
    {
        WaitUntil([&] { return (window_ = OwnWindowWithProperty(prop)) != nullptr; }, std::chrono::seconds(10));
        return window_;
    }
    // The dialog's result once its loop ended, or -1 when it is still open.
    int WaitForResult(std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        WaitUntil([&] { return done_.load(); }, timeout);
        return done_ ? result_.load() : -1;
    }
    bool Done() const { return done_; }
    DWORD ThreadId() const { return threadId_; }
    HWND Focus() const
    {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        return ::GetGUIThreadInfo(threadId_, &info) ? info.hwndFocus : nullptr;
    }
    // Returns once the dialog's thread has handled every message posted to it
    // before, and whatever those posted in turn: a push-state marker posted to
    // a button goes through the same queue.
    void Drain(HWND button) const
    {
        const auto pushed = [button] { return (::SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; };
        ::PostMessageW(button, BM_SETSTATE, TRUE, 0);
        WaitUntil([&] { return !::IsWindow(button) || pushed(); }, std::chrono::seconds(10));
        ::PostMessageW(button, BM_SETSTATE, FALSE, 0);
        WaitUntil([&] { return !::IsWindow(button) || !pushed(); }, std::chrono::seconds(10));
    }

private:
    std::atomic<int> result_{-1};
    std::atomic<bool> done_{false};
    std::atomic<DWORD> threadId_{0};
    HWND window_ = nullptr;
    std::thread thread_;
};

}  // namespace tapdeck::test
