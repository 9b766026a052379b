// shell_open_floor.exe PROGRAM: the floor of a handler start. A resident GUI
// program that starts PROGRAM as the agent starts a handler, with
// ShellExecuteW "open" on a thread of the multithreaded apartment, one
// thread per request as the stand-in radio serves its peers. It is asked
// over the radio's own pipe protocol: "touch\t<hex>" is answered
// with "ok 1 <performance counter read just before the start>"; also
// "ping" and "quit". Nothing of the agent's own work is done: no
// registration lookup, no path checks.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "../../sim/nfc/radio_protocol.h"

namespace {

std::wstring g_program;
HWND g_window = nullptr;

struct Connection {
    HANDLE pipe;
};

std::string Answer(const std::string& request)
{
    if (request == "ping") return "ok 0";
    if (request == "quit") {
        ::PostMessageW(g_window, WM_CLOSE, 0, 0);
        return "ok 0";
    }
    const size_t hex = request.rfind('\t');
    if (request.rfind("touch\t", 0) != 0 || hex == std::string::npos) return "unknown request";
    const std::wstring parameters = tapdeck::sim::FromUtf8(request.substr(hex + 1));
    LARGE_INTEGER before{};
    ::QueryPerformanceCounter(&before);
    ::ShellExecuteW(nullptr, L"open", g_program.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
    return "ok 1 " + std::to_string(before.QuadPart);
}

DWORD WINAPI ServeThread(void* param)
{
    Connection* connection = static_cast<Connection*>(param);
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    char request[4096];
    DWORD read = 0;
    if (::ReadFile(connection->pipe, request, sizeof(request), &read, nullptr)) {
        const std::string reply = Answer(std::string(request, read));
        DWORD written = 0;
        ::WriteFile(connection->pipe, reply.data(), static_cast<DWORD>(reply.size()), &written, nullptr);
        // Until the peer has taken the answer and hung up.
        ::ReadFile(connection->pipe, request, sizeof(request), &read, nullptr);
    }
    ::CloseHandle(connection->pipe);
    delete connection;
    ::CoUninitialize();
    return 0;
}

DWORD WINAPI ListenThread(void*)
{
    const std::wstring name = tapdeck::sim::RadioPipeName(::GetCurrentProcessId());
    for (;;) {
        HANDLE pipe = ::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX,
                                         PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
                                         4096, 4096, 0, nullptr);
        if (pipe == INVALID_HANDLE_VALUE) return 0;
        if (!::ConnectNamedPipe(pipe, nullptr) && ::GetLastError() != ERROR_PIPE_CONNECTED) {
            ::CloseHandle(pipe);
            continue;
        }
        const tapdeck::unique_handle worker(::CreateThread(nullptr, 0, ServeThread, new Connection{pipe}, 0, nullptr));
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    g_program = commandLine ? commandLine : L"";
    if (g_program.empty() || FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"TapdeckBenchShellOpenFloor";
    ::RegisterClassExW(&windowClass);
    g_window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    const tapdeck::unique_handle listener(g_window ? ::CreateThread(nullptr, 0, ListenThread, nullptr, 0, nullptr)
                                                   : nullptr);
    if (!listener) return 1;
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    ::CoUninitialize();
    return 0;
}
