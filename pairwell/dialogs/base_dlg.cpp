#include "base_dlg.h"

#include <atomic>
#include <string>

#include "../dialogs.h"
#include "app_visibility_handler.h"
#include "child_control.h"
#include "dialog_font.h"
#include "dialog_loop.h"
#include "dialog_paint.h"
#include "fixed_size_window.h"
#include "placement.h"
#include "res_string.h"
#include "strings/pairwell_strings.h"
#include "window_class.h"
#include "window_props.h"
#include "window_user_data.h"

namespace tapdeck::pairwell {
namespace {

constexpr wchar_t kTitle[] = L"Tapdeck";
constexpr UINT kRecenterDelayMs = 100;
constexpr UINT kFlashCount = 5;
constexpr DWORD kFlashIntervalMs = 100;

enum VisibilityState { kUnknown = 0, kDesktopVisible = 1, kLauncherVisible = 2, kAppVisible = 3 };

// The answer of the monitor enumerated last; it survives calls in which no
// monitor answers.
std::atomic<int> lastMonitorAnswer{kUnknown};

BOOL CALLBACK AskMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    auto* visibility = reinterpret_cast<IAppVisibility*>(data);
    MONITOR_APP_VISIBILITY mode = MAV_UNKNOWN;
    if (SUCCEEDED(visibility->GetAppVisibilityOnMonitor(monitor, &mode))) {
        switch (mode) {
        case MAV_NO_APP_VISIBLE: lastMonitorAnswer = kDesktopVisible; break;
        case MAV_APP_VISIBLE: lastMonitorAnswer = kAppVisible; break;
        default: lastMonitorAnswer = kUnknown; break;
        }
    }
    return TRUE;
}

DWORD ControlStyle(ControlKind kind)
{
    switch (kind) {
    case ControlKind::PushButton: return WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    case ControlKind::DefaultPushButton: return WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
    case ControlKind::CheckBox: return WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
    case ControlKind::Message: return WS_CHILD | WS_VISIBLE;
    }
    return WS_CHILD;
}

}  // namespace

CBaseDlg::CBaseDlg(HINSTANCE instance_, HICON icon_, HCURSOR cursor_, const DialogTable& table,
                   UINT messageText) noexcept
    : table_(table), messageText_(messageText), icon(icon_), cursor(cursor_), instance(instance_)
{
}

CBaseDlg::~CBaseDlg()
{
    DestroyLeftoverWindow();
    icon.reset();
}

// A window left by a failed Create still points at this object and has a
// WM_CLOSE queued: destroy it now, detached, so that it neither outlives the
// object nor ends the next dialog's loop with its quit message.
void CBaseDlg::DestroyLeftoverWindow()
{
    if (!window || !::IsWindow(window)) return;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    RemoveAllProps(window);
    ::DestroyWindow(window);
    window = nullptr;
}

bool CBaseDlg::Create()
{
    // A class that cannot be registered leaves the window uncreated.
    RegisterWindowClass(instance, table_.className, WindowProc, icon.get(), cursor);

    window = ::CreateWindowExW(WS_EX_TOPMOST, table_.className, kTitle, WS_POPUPWINDOW | WS_VISIBLE | WS_DLGFRAME,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                               this);
    if (!window) return false;

    const auto fail = [this] {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        return false;
    };
    font = LoadDialogFont(IDS_PAIRWELL_FONT);
    if (!font) return fail();
    if (!RemoveSizingCommands(window)) return fail();

    controls.clear();
    for (const ControlEntry& control : table_.controls) {
        HWND created = CreateControl(control);
        if (!created) return fail();
        controls.push_back(created);
    }

    const WPARAM fontHandle = reinterpret_cast<WPARAM>(font.get());
    ::SendMessageW(window, WM_SETFONT, fontHandle, TRUE);
    for (HWND control : controls) ::SendMessageW(control, WM_SETFONT, fontHandle, TRUE);

    LayoutControls();

    if (table_.focusIndex < controls.size()) ::SetFocus(controls[table_.focusIndex]);
    ::SetPropW(window, table_.property, reinterpret_cast<HANDLE>(1));
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::UpdateWindow(window);
    return true;
}

HWND CBaseDlg::CreateControl(const ControlEntry& entry)
{
    const bool message = entry.kind == ControlKind::Message;
    std::wstring text;
    if (!LoadResString(text, message && messageText_ ? messageText_ : entry.textId)) return nullptr;
    const wchar_t* windowClass = message ? L"STATIC" : L"BUTTON";
    return tapdeck::CreateControl(window, instance, windowClass, text, ControlStyle(entry.kind), entry.id);
}

bool CBaseDlg::LayoutControls()
{
    if (!window || !::IsWindow(window) || controls.size() != table_.controls.size()) return false;
    for (HWND control : controls)
        if (!::IsWindow(control)) return false;
    PlaceWindow(window, table_.windowLayoutId);
    for (size_t i = 0; i < controls.size(); ++i) PlaceControl(controls[i], table_.controls[i].layoutId);
    return true;
}

bool CBaseDlg::Destroy()
{
    // A class with a window cannot be unregistered; left registered, it would
    // keep pointing at the icon that the destructor destroys.
    DestroyLeftoverWindow();
    const bool unregistered = ::UnregisterClassW(table_.className, instance) != FALSE;
    font.reset();
    return unregistered;
}

int CBaseDlg::RunModal()
{
    if (WatchAppVisibility(window) && visibility) GetVisibilityState(visibilityState);
    ::SetForegroundWindow(window);

    RunDialogLoop(window);

    StopWatchingAppVisibility();
    if (comResult >= 0) {
        ::CoUninitialize();
        comResult = E_FAIL;
    }
    Destroy();
    return result;
}

void CBaseDlg::StopWatchingAppVisibility()
{
    if (advised && visibility) {
        visibility->Unadvise(adviseCookie);
        visibility.reset();
        advised = FALSE;
        adviseCookie = 0;
    }
    visibility.reset();
}

bool CBaseDlg::WatchAppVisibility(HWND target)
{
    if (!target) return false;
    advised = FALSE;
    comResult = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(comResult) && comResult != RPC_E_CHANGED_MODE) return false;
    if (FAILED(::CoCreateInstance(CLSID_AppVisibility, nullptr, CLSCTX_INPROC_SERVER, IID_IAppVisibility,
                                  visibility.put_void())))
        return false;
    com_ptr<IAppVisibilityEvents> handler = CAppVisibilityHandler::Make(target, WM_VISIBILITY_CHANGED);
    if (handler && SUCCEEDED(visibility->Advise(handler.get(), &adviseCookie))) advised = TRUE;
    return advised != FALSE;
}

bool CBaseDlg::GetVisibilityState(int& state)
{
    if (!visibility) return false;
    BOOL launcherVisible = FALSE;
    if (FAILED(visibility->IsLauncherVisible(&launcherVisible))) return false;
    if (launcherVisible) {
        state = kLauncherVisible;
        return true;
    }
    if (!::EnumDisplayMonitors(nullptr, nullptr, AskMonitor, reinterpret_cast<LPARAM>(visibility.get())))
        return false;
    state = lastMonitorAnswer;
    return true;
}

void CBaseDlg::OnVisibilityChanged(HWND target)
{
    if (!target || !visibility) return;
    int current = visibilityState;
    if (!GetVisibilityState(current)) return;
    // The desktop has just become visible, or has just been covered.
    if ((current == kDesktopVisible) != (visibilityState == kDesktopVisible)) CenterWindow(target);
    GetVisibilityState(visibilityState);
}

void CBaseDlg::CloseWithResult(int value)
{
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    result = value;
}

LRESULT CBaseDlg::OnFocusMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_SETFOCUS) return ::DefWindowProcW(window, message, wParam, lParam);
    if (!controls.empty()) ::SetFocus(controls.front());
    return 1;
}

LRESULT CALLBACK CBaseDlg::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = WindowUserData<CBaseDlg>(hwnd, message, lParam);
    if (message == WM_CREATE) {
        // Messages arrive before CreateWindowExW returns.
        if (self) self->window = hwnd;
        return 1;
    }
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->window = nullptr;
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->OnMessage(message, wParam, lParam);
}

LRESULT CBaseDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        RemoveAllProps(window);
        ::PostQuitMessage(0);
        return 1;
    case WM_SETFOCUS:
    case WM_ACTIVATE:
        return OnFocusMessage(message, wParam, lParam);
    case WM_PAINT:
        PaintNothing(window);
        return 0;
    case WM_GETMINMAXINFO:
        // The dialog keeps the size its layout gave it.
        if (!LockWindowSize(window, reinterpret_cast<MINMAXINFO*>(lParam))) break;
        return 0;
    case WM_DISPLAYCHANGE:
        ::SetTimer(window, TIMER_RECENTER, kRecenterDelayMs, nullptr);
        return 1;
    case WM_TIMER:
        if (wParam != TIMER_RECENTER) break;
        ::KillTimer(window, TIMER_RECENTER);
        CenterWindow(window);
        return 1;
    case WM_COMMAND:
        if (!OnCommand(LOWORD(wParam))) ::DefWindowProcW(window, message, wParam, lParam);
        return 1;
    case WM_CTLCOLORSTATIC:
        return ColorStaticOnWindow(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_WINDOWTEXT));
    case WM_FLASH_DIALOG: {
        ::SetForegroundWindow(window);
        FLASHWINFO flash{sizeof(flash), window, FLASHW_ALL, kFlashCount, kFlashIntervalMs};
        ::FlashWindowEx(&flash);
        return 1;
    }
    case WM_VISIBILITY_CHANGED:
        OnVisibilityChanged(window);
        return 1;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tapdeck::pairwell
