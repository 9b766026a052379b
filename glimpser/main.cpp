// Glimpser.exe: shows the desktop and ends. Dropwatch runs it before it
// opens pictures in the photo editor, so that the editor appears in view
// even when a full-screen Store app has the screen.
#include <windows.h>
#include <shldisp.h>

#include "com_ptr.h"

namespace {

// A desktop window taking the foreground brings the desktop forward from a
// Store app; minimising everything then leaves the editor on a clear desktop.
void ShowDesktop(HINSTANCE instance)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"GlimpserWnd";
    if (::RegisterClassW(&windowClass)) {
        HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1,
                                        nullptr, nullptr, instance, nullptr);
        if (window) {
            ::ShowWindow(window, SW_SHOWNORMAL);
            ::SetForegroundWindow(window);
            ::DestroyWindow(window);
        }
    }
    tapdeck::com_ptr<IShellDispatch> shell;
    if (SUCCEEDED(::CoCreateInstance(CLSID_Shell, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellDispatch),
                                     shell.put_void())) &&
        shell)
        shell->MinimizeAll();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ShowDesktop(instance);
    if (SUCCEEDED(init)) ::CoUninitialize();
    return 0;
}
