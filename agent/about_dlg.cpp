#include "about_dlg.h"

#include <string>

#include "agent_messages.h"
#include "child_control.h"
#include "dialog_font.h"
#include "dialog_paint.h"
#include "fixed_size_window.h"
#include "high_contrast.h"
#include "placement.h"
#include "res_string.h"
#include "resource_ids.h"
#include "strings/agent_strings.h"
#include "version_report.h"
#include "window_class.h"
#include "window_user_data.h"

namespace tapdeck {
namespace {

constexpr wchar_t kClassName[] = L"AboutDlgWnd";
constexpr wchar_t kProductName[] = L"Tapdeck";
constexpr wchar_t kTextFace[] = L"Segoe UI";
constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kTextStyle = WS_CHILD | WS_VISIBLE;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr int kTitleId = 3;
constexpr int kTitlePoints = 12;
constexpr int kIconSize = 48;
constexpr int kIconOffset = 22;
// The product's blue (red 0x00, green 0x33, blue 0x99).
constexpr COLORREF kProductNameColor = 0x00993300;

// The shared record of the installed version first, then the program's own.
std::wstring ProductVersionText()
{
    std::wstring version;
    if (!ReadVersionFile(KEY_WOW64_32KEY, version) && !ReadVersionFile(KEY_WOW64_64KEY, version))
        GetProductVersion(version);
    return version;
}

}  // namespace

CAboutDlg::CAboutDlg(HWND owner, HINSTANCE instance) : owner_(owner), instance_(instance)
{
    const ScreenDpi& dpi = ScreenDpi::Get();
    icon_.reset(static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TAPDECK), IMAGE_ICON,
                                                ::MulDiv(kIconSize, dpi.dpiX, 96), ::MulDiv(kIconSize, dpi.dpiY, 96),
                                                0)));
}

bool CAboutDlg::Create()
{
    if (Build()) return true;
    if (window_) ::PostMessageW(window_, WM_CLOSE, 0, 0);
    return false;
}

bool CAboutDlg::Build()
{
    if (!RegisterWindowClass(instance_, kClassName, WindowProc, nullptr, nullptr)) return false;

    std::wstring title;
    if (!LoadResString(title, IDS_ABOUT_TITLE)) return false;
    window_ = ::CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, title.c_str(), kBoxStyle, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, this);
    if (!window_) return false;

    if (!RemoveSizingCommands(window_)) return false;

    if (!CreateControls()) return false;
    if (!CreateFonts()) return false;

    ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont_.get()), TRUE);
    ::SendMessageW(okButton_, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont_.get()), TRUE);
    ::SendMessageW(titleStatic_, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), TRUE);
    ::SendMessageW(versionStatic_, WM_SETFONT, reinterpret_cast<WPARAM>(textFont_.get()), TRUE);
    ::SendMessageW(noticeStatic_, WM_SETFONT, reinterpret_cast<WPARAM>(textFont_.get()), TRUE);

    PlaceWindow(window_, IDS_ABOUT_LAYOUT);
    PlaceControl(titleStatic_, IDS_ABOUT_NAME_LAYOUT);
    PlaceControl(versionStatic_, IDS_ABOUT_VERSION_LAYOUT);
    PlaceControl(noticeStatic_, IDS_ABOUT_NOTICE_LAYOUT);
    PlaceControl(okButton_, IDS_ABOUT_OK_LAYOUT);

    ::SetPropW(window_, kAboutBoxProp, reinterpret_cast<HANDLE>(1));
    ::SetFocus(okButton_);
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::UpdateWindow(window_);
    highContrast_ = IsHighContrastOn();
    return true;
}

bool CAboutDlg::CreateControls()
{
    std::wstring text;
    if (!LoadResString(text, IDS_OK_BUTTON)) return false;
    okButton_ = CreateControl(window_, instance_, L"BUTTON", text, kButtonStyle, IDOK);
    if (!okButton_) return false;

    titleStatic_ = CreateControl(window_, instance_, L"STATIC", kProductName, kTextStyle, kTitleId);
    if (!titleStatic_) return false;

    // The label alone when no version can be found.
    if (!LoadResString(text, IDS_ABOUT_VERSION)) return false;
    versionStatic_ = CreateControl(window_, instance_, L"STATIC", text + ProductVersionText(), kTextStyle, 0);
    if (!versionStatic_) return false;

    if (!LoadResString(text, IDS_ABOUT_NOTICE)) return false;
    noticeStatic_ = CreateControl(window_, instance_, L"STATIC", text, kTextStyle, 0);
    return noticeStatic_ != nullptr;
}

bool CAboutDlg::CreateFonts()
{
    dialogFont_ = LoadDialogFont(IDS_DIALOG_FONT);
    titleFont_ = CreateDialogFont(kTextFace, kTitlePoints);
    textFont_ = CreateDialogFont(kTextFace);
    return dialogFont_ && titleFont_ && textFont_;
}

void CAboutDlg::ReleaseClassAndFonts()
{
    ::UnregisterClassW(kClassName, instance_);
    dialogFont_.reset();
    titleFont_.reset();
    textFont_.reset();
}

void CAboutDlg::DestroyLeftover()
{
    if (::IsWindow(window_)) ::DestroyWindow(window_);
    ReleaseClassAndFonts();
}

LRESULT CALLBACK CAboutDlg::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = WindowUserData<CAboutDlg>(window, message, lParam);
    if (message == WM_CREATE) return 1;
    switch (message) {
    case WM_DESTROY:
        RemoveAllProps(window);
        ::PostQuitMessage(0);
        return 1;
    case WM_SETFOCUS:
        if (self) {
            ::SetForegroundWindow(self->owner_);
            ::SetFocus(self->okButton_);
        }
        return 1;
    case WM_PAINT:
        if (self) self->OnPaint();
        else PaintNothing(window);
        return 0;
    case WM_GETMINMAXINFO:
        LockWindowSize(window, reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_DISPLAYCHANGE:
        CenterWindow(window);
        return 1;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) ::PostMessageW(window, WM_CLOSE, 0, 0);
        break;
    case WM_CTLCOLORSTATIC:
        if (self) return self->OnCtlColorStatic(window, wParam, lParam);
        break;
    case WM_THEMECHANGED:
        if (self) self->highContrast_ = IsHighContrastOn();
        ::InvalidateRect(window, nullptr, TRUE);
        return 1;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void CAboutDlg::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window_, &paint);
    RECT client;
    const ScreenDpi& dpi = ScreenDpi::Get();
    if (dc && icon_ && ::GetClientRect(window_, &client)) {
        ::DrawIconEx(dc, ::MulDiv(client.left + kIconOffset, dpi.dpiX, 96),
                     ::MulDiv(client.top + kIconOffset, dpi.dpiY, 96), icon_.get(), ::MulDiv(kIconSize, dpi.dpiX, 96),
                     ::MulDiv(kIconSize, dpi.dpiY, 96), 0, nullptr, DI_NORMAL);
    }
    ::EndPaint(window_, &paint);
}

LRESULT CAboutDlg::OnCtlColorStatic(HWND window, WPARAM wParam, LPARAM lParam)
{
    const LRESULT byDefault = ::DefWindowProcW(window, WM_CTLCOLORSTATIC, wParam, lParam);
    HDC dc = reinterpret_cast<HDC>(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    if (!dc || !control) return byDefault;
    const bool productName = ::GetDlgCtrlID(control) == kTitleId && !highContrast_;
    return ColorStaticOnWindow(dc, productName ? kProductNameColor : ::GetSysColor(COLOR_WINDOWTEXT));
}

}  // namespace tapdeck
