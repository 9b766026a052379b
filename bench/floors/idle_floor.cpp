// idle_floor.exe: the floor of the resident agent at rest. A GUI program
// with what any resident program of the platform has — the multithreaded
// apartment, a window, a message loop — and the agent's timer (the one-shot
// usage report five minutes after the start); nothing else. It runs until
// it is ended.
#include <windows.h>
#include <objbase.h>

namespace {

constexpr UINT_PTR kReportTimer = 1;
constexpr UINT kReportDelayMs = 300000;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        ::KillTimer(window, wParam);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"TapdeckBenchIdleFloor";
    ::RegisterClassExW(&windowClass);
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ::SetTimer(window, kReportTimer, kReportDelayMs, nullptr);
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    ::CoUninitialize();
    return 0;
}
