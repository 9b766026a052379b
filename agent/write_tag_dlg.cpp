#include "write_tag_dlg.h"

#include <string_view>

#include "child_control.h"
#include "current_network.h"
#include "dialog_font.h"
#include "dialog_loop.h"
#include "dialog_paint.h"
#include "fixed_size_window.h"
#include "force_foreground.h"
#include "placement.h"
#include "res_string.h"
#include "resource_ids.h"
#include "screen_dpi.h"
#include "strings/agent_strings.h"
#include "utf8.h"
#include "window_class.h"
#include "window_props.h"
#include "window_user_data.h"

namespace tapdeck {
namespace {

constexpr wchar_t kClassName[] = L"WriteTagDlgWnd";
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT;
// Network names are the user's text: an "&" in one is shown, not a mnemonic.
constexpr DWORD kStatusStyle = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
constexpr DWORD kComboStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD kCheckStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kDefaultButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
// The security list's drop-down, below the field, at 96 DPI.
constexpr int kDropDownHeight = 90;

constexpr UINT_PTR kReaderTimer = 1;
constexpr UINT kReaderPollMs = 2000;  // as often as the agent looks for a reader it lacks
constexpr UINT_PTR kReadOnlyTimer = 2;
// A writable tag tells its capacity as it arrives; one that has not after
// this long cannot be written.
constexpr UINT kReadOnlyJudgeMs = 1500;

std::wstring ControlText(HWND control)
{
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// A text resource with its inserts (%1, %2, ...) filled in; the inserts are
// taken as they are, whatever they hold.
std::wstring Formatted(UINT id, std::initializer_list<DWORD_PTR> inserts)
{
    std::wstring pattern;
    if (!LoadResString(pattern, id)) return {};
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY, pattern.c_str(),
        0, 0, reinterpret_cast<wchar_t*>(&text), 0,
        reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(std::data(inserts))));
    unique_hlocal owner(text);
    return length ? std::wstring(text, length) : std::wstring();
}

}  // namespace

CWriteTagDlg::~CWriteTagDlg()
{
    session_.Stop();
    if (::IsWindow(window_)) ::DestroyWindow(window_);
    ::UnregisterClassW(kClassName, instance_);
}

HWND CWriteTagDlg::Create()
{
    if (Build()) return window_;
    if (window_) ::PostMessageW(window_, WM_CLOSE, 0, 0);
    return nullptr;
}

bool CWriteTagDlg::Build()
{
    icon_.reset(static_cast<HICON>(
        ::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TAPDECK), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
    HCURSOR arrow =
        static_cast<HCURSOR>(::LoadImageW(nullptr, IDC_ARROW, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
    if (!RegisterWindowClass(instance_, kClassName, WindowProc, icon_.get(), arrow)) return false;

    std::wstring title;
    if (!LoadResString(title, IDS_WRITE_TITLE)) return false;
    window_ = ::CreateWindowExW(0, kClassName, title.c_str(), kDialogStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, this);
    if (!window_) return false;
    session_.NotifyTo(window_);
    if (!RemoveSizingCommands(window_)) return false;
    if (!CreateControls()) return false;

    font_ = LoadDialogFont(IDS_DIALOG_FONT);
    if (!font_) return false;
    const auto font = reinterpret_cast<WPARAM>(font_.get());
    for (HWND target : {window_, nameLabel_, nameEdit_, securityLabel_, securityCombo_, passLabel_, passEdit_,
                        showCheck_, statusText_, writeButton_, closeButton_})
        ::SendMessageW(target, WM_SETFONT, font, TRUE);

    PlaceWindow(window_, IDS_WRITE_LAYOUT);
    const std::pair<HWND, UINT> places[] = {
        {nameLabel_, IDS_WRITE_NAME_LABEL_LAYOUT}, {nameEdit_, IDS_WRITE_NAME_LAYOUT},
        {securityLabel_, IDS_WRITE_SECURITY_LABEL_LAYOUT}, {securityCombo_, IDS_WRITE_SECURITY_LAYOUT},
        {passLabel_, IDS_WRITE_PASS_LABEL_LAYOUT}, {passEdit_, IDS_WRITE_PASS_LAYOUT},
        {showCheck_, IDS_WRITE_SHOW_LAYOUT}, {statusText_, IDS_WRITE_STATUS_LAYOUT},
        {writeButton_, IDS_WRITE_BUTTON_LAYOUT}, {closeButton_, IDS_WRITE_CLOSE_LAYOUT}};
    for (const auto& [control, layout] : places) PlaceControl(control, layout);
    // A drop-down list's height is that of its open list; the field keeps its own.
    RECT field{};
    ::GetWindowRect(securityCombo_, &field);
    ::SetWindowPos(securityCombo_, nullptr, 0, 0, field.right - field.left,
                   field.bottom - field.top + ::MulDiv(kDropDownHeight, ScreenDpi::Get().dpiY, 96),
                   SWP_NOMOVE | SWP_NOZORDER);

    ::SetWindowTextW(nameEdit_, ConnectedSsid().c_str());
    ::SendMessageW(nameEdit_, EM_SETSEL, 0, -1);
    ::SetPropW(window_, kWriteTagDialogProp, reinterpret_cast<HANDLE>(1));
    ::SetFocus(nameEdit_);
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::UpdateWindow(window_);
    ::SetForegroundWindow(window_);
    ForceForeground(window_);
    return true;
}

bool CWriteTagDlg::CreateControls()
{
    // Created in tab order; each label comes just before its field, so that
    // its mnemonic moves the focus there.
    struct Control {
        HWND* handle;
        const wchar_t* className;
        UINT text;  // 0: none
        DWORD style;
        int id;
    };
    const Control controls[] = {
        {&nameLabel_, L"STATIC", IDS_WRITE_NAME_LABEL, kLabelStyle, 0},
        {&nameEdit_, L"EDIT", 0, kEditStyle, kWriteNameEdit},
        {&securityLabel_, L"STATIC", IDS_WRITE_SECURITY_LABEL, kLabelStyle, 0},
        {&securityCombo_, L"COMBOBOX", 0, kComboStyle, kWriteSecurityCombo},
        {&passLabel_, L"STATIC", IDS_WRITE_PASS_LABEL, kLabelStyle, 0},
        {&passEdit_, L"EDIT", 0, kEditStyle | ES_PASSWORD, kWritePassEdit},
        {&showCheck_, L"BUTTON", IDS_WRITE_SHOW, kCheckStyle, kWriteShowCheck},
        {&statusText_, L"STATIC", IDS_WRITE_INTRO, kStatusStyle, kWriteStatusText},
        {&writeButton_, L"BUTTON", IDS_WRITE_BUTTON, kDefaultButtonStyle, IDOK},
        {&closeButton_, L"BUTTON", IDS_WRITE_CLOSE, kButtonStyle, IDCANCEL},
    };
    for (const Control& c : controls) {
        std::wstring text;
        if (c.text && !LoadResString(text, c.text)) return false;
        *c.handle = CreateControl(window_, instance_, c.className, text, c.style, c.id);
        if (!*c.handle) return false;
    }
    for (UINT item : {IDS_WRITE_WPA2, IDS_WRITE_WPA, IDS_WRITE_OPEN}) {
        std::wstring text;
        if (!LoadResString(text, item)) return false;
        ::SendMessageW(securityCombo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    ::SendMessageW(securityCombo_, CB_SETCURSEL, 0, 0);
    if (const auto shown = static_cast<wchar_t>(::SendMessageW(passEdit_, EM_GETPASSWORDCHAR, 0, 0)))
        passwordChar_ = shown;
    return true;
}

void CWriteTagDlg::RunLoop()
{
    // WM_DESTROY ends the loop.
    RunDialogLoop(window_);
    session_.Stop();
}

LRESULT CALLBACK CWriteTagDlg::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = WindowUserData<CWriteTagDlg>(window, message, lParam);
    if (!self || self->window_ != window) return ::DefWindowProcW(window, message, wParam, lParam);
    return self->OnMessage(message, wParam, lParam);
}

LRESULT CWriteTagDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        // Nothing stays published once the dialog is gone.
        session_.Stop();
        RemoveAllProps(window_);
        ::PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_GETMINMAXINFO:
        LockWindowSize(window_, reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_DISPLAYCHANGE:
        CenterWindow(window_);
        break;
    case WM_CTLCOLORSTATIC:
        return ColorStaticOnWindow(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_WINDOWTEXT));
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_TAG_ARRIVED:
        OnArrived();
        return 0;
    case WM_TAG_DEPARTED:
        OnDeparted();
        return 0;
    case WM_TAG_CAPACITY:
        OnCapacity(static_cast<UINT32>(wParam));
        return 0;
    case WM_TAG_WRITTEN:
        if (session_.IsOurs(lParam)) {
            const std::wstring written = Formatted(IDS_WRITE_WRITTEN, {reinterpret_cast<DWORD_PTR>(network_.c_str())});
            EndWrite(0);
            SayText(written);
        }
        return 0;
    case WM_RAISE_WRITE_TAG_DLG:
        Raise();
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

void CWriteTagDlg::OnCommand(int id, int code)
{
    switch (id) {
    case IDOK:
        if (::IsWindowEnabled(writeButton_)) Write();
        break;
    case IDCANCEL:
        ::PostMessageW(window_, WM_CLOSE, 0, 0);
        break;
    case kWriteSecurityCombo:
        if (code == CBN_SELCHANGE) SecurityChanged();
        break;
    case kWriteShowCheck:
        ShowPassphrase(::SendMessageW(showCheck_, BM_GETCHECK, 0, 0) == BST_CHECKED);
        break;
    default:
        break;
    }
}

WscWriteSecurity CWriteTagDlg::Security() const
{
    switch (::SendMessageW(securityCombo_, CB_GETCURSEL, 0, 0)) {
    case 1: return WscWriteSecurity::WpaPersonal;
    case 2: return WscWriteSecurity::Open;
    default: return WscWriteSecurity::Wpa2Personal;
    }
}

void CWriteTagDlg::SecurityChanged()
{
    // An open network has no passphrase to ask for.
    const bool secured = Security() != WscWriteSecurity::Open;
    ::EnableWindow(passLabel_, secured);
    ::EnableWindow(passEdit_, secured);
    ::EnableWindow(showCheck_, secured);
}

void CWriteTagDlg::ShowPassphrase(bool shown)
{
    ::SendMessageW(passEdit_, EM_SETPASSWORDCHAR, shown ? 0 : passwordChar_, 0);
    ::InvalidateRect(passEdit_, nullptr, TRUE);
}

void CWriteTagDlg::Write()
{
    const WscWriteSecurity security = Security();
    const std::wstring name = ControlText(nameEdit_);
    std::string ssid;
    std::string key;
    WscWriteProblem problem = ToUtf8Strict(name, ssid) ? WscWriteProblem::None : WscWriteProblem::NameLength;
    if (problem == WscWriteProblem::None && security != WscWriteSecurity::Open && !ToUtf8Strict(ControlText(passEdit_), key))
        problem = WscWriteProblem::Passphrase;
    if (problem == WscWriteProblem::None) problem = CheckWscNetwork(ssid, key, security);
    if (problem != WscWriteProblem::None) {
        const bool nameProblem = problem == WscWriteProblem::NameLength;
        Say(nameProblem ? IDS_WRITE_NAME_PROBLEM : IDS_WRITE_PASS_PROBLEM);
        ::SetFocus(nameProblem ? nameEdit_ : passEdit_);
        return;
    }
    const std::string message = EncodeWscMessage(ssid, key, security);
    switch (session_.Begin(message)) {
    case CWriteTagSession::Begun::NoReader:
        Say(IDS_WRITE_NO_READER);
        return;
    case CWriteTagSession::Begun::Refused:
        Say(IDS_WRITE_REFUSED);
        return;
    case CWriteTagSession::Begun::Waiting:
        break;
    }
    network_ = name;
    messageBytes_ = message.size();
    tagNear_ = false;
    capacity_ = 0;
    SetEditing(false);
    Say(IDS_WRITE_HOLD);
    ::SetTimer(window_, kReaderTimer, kReaderPollMs, nullptr);
}

void CWriteTagDlg::SetEditing(bool editing)
{
    for (HWND control : {nameLabel_, nameEdit_, securityLabel_, securityCombo_, writeButton_})
        ::EnableWindow(control, editing);
    if (editing) {
        SecurityChanged();
        ::SetFocus(nameEdit_);
    } else {
        for (HWND control : {passLabel_, passEdit_, showCheck_}) ::EnableWindow(control, FALSE);
        ::SetFocus(closeButton_);
    }
    // Enter writes only while there is something to write.
    ::SendMessageW(writeButton_, BM_SETSTYLE, editing ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void CWriteTagDlg::EndWrite(UINT id)
{
    session_.Stop();
    ::KillTimer(window_, kReaderTimer);
    ::KillTimer(window_, kReadOnlyTimer);
    tagNear_ = false;
    SetEditing(true);
    if (id) Say(id);
}

void CWriteTagDlg::Say(UINT id)
{
    std::wstring text;
    LoadResString(text, id);
    SayText(text);
}

void CWriteTagDlg::SayText(const std::wstring& text) { ::SetWindowTextW(statusText_, text.c_str()); }

void CWriteTagDlg::OnArrived()
{
    if (!session_.Active()) return;
    tagNear_ = true;
    capacity_ = 0;
    ::SetTimer(window_, kReadOnlyTimer, kReadOnlyJudgeMs, nullptr);
}

void CWriteTagDlg::OnCapacity(UINT32 capacity)
{
    if (!session_.Active()) return;
    ::KillTimer(window_, kReadOnlyTimer);
    tagNear_ = true;
    capacity_ = capacity;
    // Too small: the message stays published for the next tag.
    if (capacity < messageBytes_)
        SayText(Formatted(IDS_WRITE_TOO_SMALL, {capacity, static_cast<DWORD_PTR>(messageBytes_)}));
}

void CWriteTagDlg::OnDeparted()
{
    if (!session_.Active() || !tagNear_) return;
    ::KillTimer(window_, kReadOnlyTimer);
    if (capacity_ == 0) {
        Say(IDS_WRITE_READ_ONLY);
    } else if (capacity_ >= messageBytes_) {
        // It fitted but its write was never reported: nothing is claimed.
        Say(IDS_WRITE_REMOVED);
    }
    tagNear_ = false;
    capacity_ = 0;
}

void CWriteTagDlg::OnTimer(UINT_PTR timer)
{
    if (timer == kReadOnlyTimer) {
        ::KillTimer(window_, kReadOnlyTimer);
        if (session_.Active() && tagNear_ && capacity_ == 0) Say(IDS_WRITE_READ_ONLY);
    } else if (timer == kReaderTimer && session_.Active() && !session_.ReaderPresent()) {
        EndWrite(IDS_WRITE_READER_GONE);
    }
}

void CWriteTagDlg::Raise()
{
    if (::IsIconic(window_)) ::ShowWindow(window_, SW_RESTORE);
    ::SetForegroundWindow(window_);
    ForceForeground(window_);
    ::BringWindowToTop(window_);
}

}  // namespace tapdeck
