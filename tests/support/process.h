#pragma once
// What process tests use to drive the installed product from outside.
#include <windows.h>
#include <chrono>
#include <functional>
#include <string>

#include "unique_handle.h"

namespace tapdeck::test {

// "<Program Files>\Vexa\Tapdeck\<name>".
std::wstring InstalledPath(const wchar_t* name);
// The installed Tapdeck.exe.
const std::wstring& Agent();

// Starts a program with the given command-line tail; null on failure.
unique_handle StartProgram(const std::wstring& path, const std::wstring& arguments);

// Waits for a process; its exit code, or -1 when it did not end in time.
long WaitForExit(HANDLE process, std::chrono::milliseconds timeout);

// Runs a program to its end; its exit code, or -1 when it did not end in time.
long RunProgram(const std::wstring& path, const std::wstring& arguments,
                std::chrono::milliseconds timeout = std::chrono::seconds(20));

// Polls until the condition holds or the deadline passes; the last answer.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// The last top-level window carrying the property, or null.
HWND FindWindowWithProperty(const wchar_t* prop);

// A hidden window on its own thread that carries a property and counts the
// messages it is sent or posted: stands in for a running program's window.
class RecordingWindow {
public:
    explicit RecordingWindow(const wchar_t* prop);
    ~RecordingWindow();
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND Window() const noexcept { return window_; }
    // How often the message has arrived so far.
    long Count(UINT message) const;
    // Waits until a message posted now from this thread has been handled,
    // so that anything posted before it has been seen.
    void Flush() const;

private:
    static DWORD WINAPI Thread(void* param);
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::wstring prop_;
    HWND window_ = nullptr;
    unique_handle ready_;
    unique_handle flushed_;
    unique_handle thread_;
    mutable CRITICAL_SECTION lock_;
    struct Entry { UINT message; long count; };
    Entry counts_[32] = {};
};

}  // namespace tapdeck::test
