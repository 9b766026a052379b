#include "support/process.h"
#include "known_folder.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <thread>

#include "window_props.h"

namespace tapdeck::test {

std::wstring InstalledPath(const wchar_t* name)
{
    return tapdeck::InstalledPath(name);
}

const std::wstring& Agent()
{
    static const std::wstring path = InstalledPath(L"Tapdeck.exe");
    return path;
}

unique_handle StartProgram(const std::wstring& path, const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + path + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
        ADD_FAILURE() << "CreateProcessW failed with error " << ::GetLastError();
        return {};
    }
    ::CloseHandle(info.hThread);
    return unique_handle(info.hProcess);
}

long WaitForExit(HANDLE process, std::chrono::milliseconds timeout)
{
    if (::WaitForSingleObject(process, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    return static_cast<long>(code);
}

long RunProgram(const std::wstring& path, const std::wstring& arguments, std::chrono::milliseconds timeout)
{
    unique_handle process = StartProgram(path, arguments);
    if (!process) return -2;
    const long code = WaitForExit(process.get(), timeout);
    if (code == -1) ::TerminateProcess(process.get(), 1);
    return code;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

namespace {

constexpr UINT kFlushMessage = WM_APP + 0x3000;

}  // namespace

HWND FindWindowWithProperty(const wchar_t* prop) { return FindWindowWithProp(prop); }

RecordingWindow::RecordingWindow(const wchar_t* prop) : prop_(prop)
{
    ::InitializeCriticalSection(&lock_);
    ready_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    flushed_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    thread_.reset(::CreateThread(nullptr, 0, Thread, this, 0, nullptr));
    ::WaitForSingleObject(ready_.get(), 10000);
}

RecordingWindow::~RecordingWindow()
{
    if (window_) ::PostMessageW(window_, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(thread_.get(), 10000);
    ::DeleteCriticalSection(&lock_);
}

long RecordingWindow::Count(UINT message) const
{
    ::EnterCriticalSection(&lock_);
    long count = 0;
    for (const Entry& entry : counts_)
        if (entry.message == message) count = entry.count;
    ::LeaveCriticalSection(&lock_);
    return count;
}

// Posted, not sent: a thread handles sent messages before any posted one, so
// a sent flush could return while a posted message was still queued.
void RecordingWindow::Flush() const
{
    if (::PostMessageW(window_, kFlushMessage, 0, 0)) ::WaitForSingleObject(flushed_.get(), 10000);
}

DWORD WINAPI RecordingWindow::Thread(void* param)
{
    auto* self = static_cast<RecordingWindow*>(param);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TapdeckTestRecordingWnd";
    ::RegisterClassW(&windowClass);
    self->window_ = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr,
                                      nullptr, windowClass.hInstance, self);
    if (self->window_) ::SetPropW(self->window_, self->prop_.c_str(), reinterpret_cast<HANDLE>(1));
    ::SetEvent(self->ready_.get());
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
}

LRESULT CALLBACK RecordingWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecordingWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_DESTROY) {
        ::RemovePropW(window, self->prop_.c_str());
        ::PostQuitMessage(0);
        return 0;
    }
    if (self && message >= WM_USER && message != kFlushMessage) {
        ::EnterCriticalSection(&self->lock_);
        for (Entry& entry : self->counts_) {
            if (entry.message == message || entry.message == 0) {
                entry.message = message;
                ++entry.count;
                break;
            }
        }
        ::LeaveCriticalSection(&self->lock_);
    }
    if (message == kFlushMessage) {
        ::SetEvent(self->flushed_.get());
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tapdeck::test
