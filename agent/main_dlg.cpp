#include "main_dlg.h"

#include <string>

#include "about_dlg.h"
#include "agent_messages.h"
#include "child_control.h"
#include "dialog_font.h"
#include "dialog_loop.h"
#include "dialog_paint.h"
#include "fixed_size_window.h"
#include "force_foreground.h"
#include "placement.h"
#include "res_string.h"
#include "strings/agent_strings.h"
#include "tpd_app.h"
#include "window_class.h"
#include "window_user_data.h"

namespace tapdeck {
namespace {

constexpr wchar_t kClassName[] = L"MainDlgWnd";
constexpr wchar_t kTitle[] = L"Tapdeck";
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kTextStyle = WS_CHILD | WS_VISIBLE;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr UINT kAboutItemPosition = 5;

}  // namespace

HWND CMainDlg::Create()
{
    if (Build()) return window_;
    // Closed by its own loop's rules, never destroyed from here.
    if (window_) ::PostMessageW(window_, WM_CLOSE, 0, 0);
    return nullptr;
}

bool CMainDlg::Build()
{
    HINSTANCE instance = app_.Instance();
    HCURSOR arrow = static_cast<HCURSOR>(::LoadImageW(nullptr, IDC_ARROW, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
    if (!RegisterWindowClass(instance, kClassName, WindowProc, app_.AppIcon(), arrow)) return false;

    window_ = ::CreateWindowExW(0, kClassName, kTitle, kDialogStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (!window_) return false;
    if (!AddAboutItem()) return false;

    std::wstring text;
    if (!LoadResString(text, IDS_OK_BUTTON)) return false;
    okButton_ = CreateControl(window_, instance, L"BUTTON", text, kButtonStyle, IDOK);
    if (!okButton_) return false;

    if (!LoadResString(text, IDS_MAIN_TEXT)) return false;
    textStatic_ = CreateControl(window_, instance, L"STATIC", text, kTextStyle, 0);
    if (!textStatic_) return false;

    font_ = LoadDialogFont(IDS_DIALOG_FONT);
    if (!font_) return false;

    const auto font = reinterpret_cast<WPARAM>(font_.get());
    for (HWND target : {window_, textStatic_, okButton_}) ::SendMessageW(target, WM_SETFONT, font, TRUE);

    PlaceWindow(window_, IDS_MAIN_LAYOUT);
    PlaceControl(textStatic_, IDS_MAIN_TEXT_LAYOUT);
    PlaceControl(okButton_, IDS_MAIN_OK_LAYOUT);

    ::SetPropW(window_, kMainDialogProp, reinterpret_cast<HANDLE>(1));
    ::SetFocus(okButton_);
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::UpdateWindow(window_);
    ::SetForegroundWindow(window_);
    ForceForeground(window_);
    ::BringWindowToTop(window_);
    return true;
}

// The dialog cannot be sized: its system menu offers moving, the about box
// and closing, nothing else.
bool CMainDlg::AddAboutItem()
{
    HMENU menu = ::GetSystemMenu(window_, FALSE);
    if (!menu) return false;
    std::wstring text;
    if (!LoadResString(text, IDS_ABOUT_MENU)) return false;
    // The system menu stays the system menu: made the window's menu as well,
    // it would turn into a menu bar over the dialog's text.
    ::InsertMenuW(menu, kAboutItemPosition, MF_BYPOSITION | MF_STRING, IDM_ABOUT_BOX, text.c_str());
    return RemoveSizingCommands(window_);
}

void CMainDlg::ReleaseClassAndFont()
{
    ::UnregisterClassW(kClassName, app_.Instance());
    font_.reset();
}

LRESULT CALLBACK CMainDlg::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = WindowUserData<CMainDlg>(window, message, lParam);
    if (message == WM_CREATE) return 1;
    switch (message) {
    case WM_DESTROY:
        RemoveAllProps(window);
        ::PostQuitMessage(0);
        return 1;
    case WM_ACTIVATE:
        // While the about box is open, it keeps the foreground.
        if (HWND about = FindAboutBox()) ForceForeground(about);
        return 1;
    case WM_SETFOCUS:
        if (self) ::SetFocus(self->okButton_);
        return 1;
    case WM_PAINT:
        PaintNothing(window);
        return 0;
    case WM_GETMINMAXINFO:
        LockWindowSize(window, reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_DISPLAYCHANGE:
        CenterWindow(window);
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) ::PostMessageW(window, WM_CLOSE, 0, 0);
        break;
    case WM_SYSCOMMAND:
        if (wParam == IDM_ABOUT_BOX && self && self->window_) self->RunAboutBox();
        break;
    case WM_CTLCOLORSTATIC:
        return ColorStaticOnWindow(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_WINDOWTEXT));
    default:
        if (message == WM_RAISE_MAIN_DLG) {
            if (self) self->Raise();
            return 1;
        }
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void CMainDlg::Raise()
{
    HWND about = FindAboutBox();
    if (!about) {
        ::SetForegroundWindow(window_);
        ForceForeground(window_);
        ::BringWindowToTop(window_);
        return;
    }
    ForceForeground(window_);
    ForceForeground(about);
}

void CMainDlg::RunAboutBox()
{
    CAboutDlg about(window_, app_.Instance());
    ::EnableWindow(window_, FALSE);
    about.Create();
    // A box that failed half way has been sent WM_CLOSE: its loop runs all
    // the same, so that the quit its destruction posts ends this loop and
    // not the dialog's own.
    if (HWND box = about.Window()) RunDialogLoop(box);
    if (!::IsWindow(window_)) {
        // The dialog was closed under the box (the agent is ending): the box
        // goes too, and the dialog thread's own loop still has to end.
        about.DestroyLeftover();
        ::PostQuitMessage(0);
        return;
    }
    about.ReleaseClassAndFonts();
    ::EnableWindow(window_, TRUE);
    ::SetForegroundWindow(window_);
}

}  // namespace tapdeck
