// The four Pairwell dialogs as the user meets them: structure, focus,
// keyboard, results, flashing and re-centring. Each runs on a thread of its
// own, as on Pairwell's main thread. (Process tests: the dialogs are found by
// property across processes, so they must not meet another test's dialogs.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_thread.h"
#include "compare_no_case.h"
#include "dialogs.h"
#include "dialogs/single_button_dlg.h"
#include "layout.h"
#include "res_string.h"
#include "screen_dpi.h"
#include "support/window_facts.h"

namespace tapdeck::pairwell {
namespace {

using test::DialogThread;
using test::WaitUntil;
using test::ChildWindows;
using test::ClassOf;
using test::WindowText;

struct ControlExpectation {
    int id;
    const wchar_t* className;
    DWORD buttonType;  // BS_* type, or ~0 for the static message
    UINT textId;
};

struct DialogCase {
    const char* name;
    int (*show)(HINSTANCE);
    const wchar_t* property;
    const wchar_t* className;
    UINT windowLayout;
    std::vector<ControlExpectation> controls;  // in creation order
    int focusId;
    int enterResult;  // what Enter on the focused default button gives
};

int ShowConnectedResult(HINSTANCE instance)
{
    return ShowConnectedDlg(instance).result;
}

constexpr DWORD kStatic = ~0u;

std::vector<DialogCase> AllDialogs()
{
    return {
        {"ConnectFailed", ShowConnectFailedDlg, L"Camera WiFiConnectFailDlg prop", L"WiFiConnectFailDlgWnd", 517,
         {{1, L"Button", BS_DEFPUSHBUTTON, 521}, {0, L"Static", kStatic, 505}}, 1, 1},
        {"KOXNotInstalled", ShowKOXNotInstalledDlg, L"Camera KOXNotInstalledDlg prop", L"KOXNotInstalledDlgWnd", 514,
         {{1, L"Button", BS_DEFPUSHBUTTON, 508}, {0, L"Static", kStatic, 507}}, 1, 1},
        {"PowerOff", ShowPowerOffDlg, L"Camera WiFiPowerOffDlg prop", L"WiFiPowerOffDlgWnd", 522,
         {{1, L"Button", BS_DEFPUSHBUTTON, 521}, {0, L"Static", kStatic, 520}}, 1, 1},
        {"Connected", ShowConnectedResult, L"Camera WiFiConnectedDlg prop", L"WiFiConnectedDlgWnd", 529,
         {{6, L"Button", BS_PUSHBUTTON, 527},
          {7, L"Button", BS_DEFPUSHBUTTON, 528},
          {5, L"Button", BS_AUTOCHECKBOX, 526},
          {0, L"Static", kStatic, 525}},
         7, 0},
    };
}

std::wstring Text(UINT id)
{
    std::wstring text;
    LoadResString(text, id);
    return text;
}

RECT WorkAreaOf(HWND window)
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

bool IsCentred(HWND window)
{
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const RECT area = WorkAreaOf(window);
    const long dx = (rect.left + rect.right) / 2 - (area.left + area.right) / 2;
    const long dy = (rect.top + rect.bottom) / 2 - (area.top + area.bottom) / 2;
    return dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1;
}

void MoveToCorner(HWND window)
{
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

class EachDialog : public ::testing::TestWithParam<DialogCase> {
protected:
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
};

TEST_P(EachDialog, IsATopmostPopupWithItsControlsInOrder)
{
    const DialogCase& c = GetParam();
    DialogThread run([&] { return c.show(instance); });
    HWND dialog = run.WaitForDialog(c.property);
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(ClassOf(dialog), c.className);
    EXPECT_EQ(WindowText(dialog), L"Tapdeck");
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(dialog, GWL_STYLE));
    EXPECT_EQ(style & (WS_POPUPWINDOW | WS_DLGFRAME | WS_VISIBLE), WS_POPUPWINDOW | WS_DLGFRAME | WS_VISIBLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CHILD), 0u);
    EXPECT_TRUE(::GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(::GetPropW(dialog, c.property)), 1);

    const std::vector<HWND> children = ChildWindows(dialog);
    ASSERT_EQ(children.size(), c.controls.size());
    for (size_t i = 0; i < children.size(); ++i) {
        const ControlExpectation& want = c.controls[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(::GetDlgCtrlID(children[i]), want.id);
        EXPECT_TRUE(EqualsNoCase(ClassOf(children[i]), want.className));
        EXPECT_EQ(WindowText(children[i]), Text(want.textId));
        const DWORD childStyle = static_cast<DWORD>(::GetWindowLongW(children[i], GWL_STYLE));
        EXPECT_TRUE(childStyle & WS_VISIBLE);
        if (want.buttonType == kStatic) {
            EXPECT_FALSE(childStyle & WS_TABSTOP);
        } else {
            EXPECT_EQ(childStyle & BS_TYPEMASK, want.buttonType);
            EXPECT_TRUE(childStyle & WS_TABSTOP);
        }
    }
    EXPECT_EQ(run.Focus(), ::GetDlgItem(dialog, c.focusId));
}

TEST_P(EachDialog, SystemMenuKeepsOnlyMoveAndClose)
{
    const DialogCase& c = GetParam();
    DialogThread run([&] { return c.show(instance); });
    HWND dialog = run.WaitForDialog(c.property);
    ASSERT_NE(dialog, nullptr);
    HMENU menu = ::GetSystemMenu(dialog, FALSE);
    ASSERT_NE(menu, nullptr);
    for (UINT removed : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE})
        EXPECT_EQ(::GetMenuState(menu, removed, MF_BYCOMMAND), static_cast<UINT>(-1)) << removed;
    EXPECT_NE(::GetMenuState(menu, SC_MOVE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_NE(::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST_P(EachDialog, UsesTheNinePointFaceAndTheLayoutSize)
{
    const DialogCase& c = GetParam();
    DialogThread run([&] { return c.show(instance); });
    HWND dialog = run.WaitForDialog(c.property);
    ASSERT_NE(dialog, nullptr);

    for (HWND control : ChildWindows(dialog)) {
        LOGFONTW font{};
        ASSERT_NE(::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font),
                               &font),
                  0);
        EXPECT_EQ(font.lfFaceName, Text(509));
        HDC screen = ::GetDC(nullptr);
        EXPECT_EQ(font.lfHeight, -::MulDiv(9, ::GetDeviceCaps(screen, LOGPIXELSY), 72));
        ::ReleaseDC(nullptr, screen);
    }
    const Layout layout = ParseLayout(Text(c.windowLayout));
    RECT client{};
    ::GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, ::MulDiv(layout.w, ScreenDpi::Get().dpiX, 96));
    EXPECT_EQ(client.bottom, ::MulDiv(layout.h, ScreenDpi::Get().dpiY, 96));
    EXPECT_TRUE(IsCentred(dialog));
}

TEST_P(EachDialog, AltF4AndAShutdownCloseWithResultZero)
{
    const DialogCase& c = GetParam();
    for (bool altF4 : {true, false}) {
        SCOPED_TRACE(altF4 ? "Alt+F4" : "WM_CLOSE from the observer");
        DialogThread run([&] { return c.show(instance); });
        HWND dialog = run.WaitForDialog(c.property);
        ASSERT_NE(dialog, nullptr);
        if (altF4) ::PostMessageW(run.Focus(), WM_SYSKEYDOWN, VK_F4, static_cast<LPARAM>(KF_ALTDOWN) << 16);
        else ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        EXPECT_EQ(run.WaitForResult(), 0);
        EXPECT_EQ(test::OwnWindowWithProperty(c.property), nullptr);
    }
}

TEST_P(EachDialog, EnterPressesTheDefaultButton)
{
    const DialogCase& c = GetParam();
    DialogThread run([&] { return c.show(instance); });
    ASSERT_NE(run.WaitForDialog(c.property), nullptr);
    ::PostMessageW(run.Focus(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(run.WaitForResult(), c.enterResult);
}

TEST_P(EachDialog, EscapeLeavesTheDialogOpen)
{
    const DialogCase& c = GetParam();
    DialogThread run([&] { return c.show(instance); });
    HWND dialog = run.WaitForDialog(c.property);
    ASSERT_NE(dialog, nullptr);
    ::PostMessageW(run.Focus(), WM_KEYDOWN, VK_ESCAPE, 0);
    run.Drain(::GetWindow(dialog, GW_CHILD));
    EXPECT_TRUE(::IsWindow(dialog));
    EXPECT_FALSE(run.Done());
}

TEST_P(EachDialog, SecondStartBringsItForward)
{
    const DialogCase& c = GetParam();
    DialogThread run([&] { return c.show(instance); });
    HWND dialog = run.WaitForDialog(c.property);
    ASSERT_NE(dialog, nullptr);
    // The dialog takes the foreground once more when its loop starts: only
    // after that may another window take it away.
    run.Drain(::GetWindow(dialog, GW_CHILD));
    // Another program takes the foreground, then a second Pairwell asks.
    DialogThread other([&] {
        HWND window = ::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                        nullptr, nullptr, nullptr);
        ::SetPropW(window, L"Tapdeck test other prop", reinterpret_cast<HANDLE>(1));
        ::SetForegroundWindow(window);
        MSG msg;
        // Also ends when the window was closed, as a test that stops early does.
        while (::IsWindow(window) && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_APP) break;
            ::DispatchMessageW(&msg);
        }
        ::DestroyWindow(window);
        return 0;
    });
    ASSERT_NE(other.WaitForDialog(L"Tapdeck test other prop"), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() != dialog; }, std::chrono::seconds(5)));

    ASSERT_EQ(FindOpenDialog(), dialog);
    ::PostMessageW(FindOpenDialog(), WM_FLASH_DIALOG, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == dialog; }, std::chrono::seconds(5)));
    EXPECT_FALSE(run.Done());
    ::PostThreadMessageW(other.ThreadId(), WM_APP, 0, 0);
}

TEST_P(EachDialog, RecentresAfterADisplayChange)
{
    const DialogCase& c = GetParam();
    DialogThread run([&] { return c.show(instance); });
    HWND dialog = run.WaitForDialog(c.property);
    ASSERT_NE(dialog, nullptr);
    MoveToCorner(dialog);
    ASSERT_FALSE(IsCentred(dialog));
    ::PostMessageW(dialog, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_TRUE(WaitUntil([&] { return IsCentred(dialog); }, std::chrono::seconds(5)));
}

INSTANTIATE_TEST_SUITE_P(Pairwell, EachDialog, ::testing::ValuesIn(AllDialogs()),
                         [](const auto& info) { return std::string(info.param.name); });

struct ButtonCase {
    const char* name;
    int (*show)(HINSTANCE);
    const wchar_t* property;
    int id;
    int result;
};

class ButtonResult : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(ButtonResult, PressingTheButtonClosesWithItsResult)
{
    const ButtonCase& c = GetParam();
    DialogThread run([&] { return c.show(::GetModuleHandleW(nullptr)); });
    HWND dialog = run.WaitForDialog(c.property);
    ASSERT_NE(dialog, nullptr);
    ::SendMessageW(::GetDlgItem(dialog, c.id), BM_CLICK, 0, 0);
    EXPECT_EQ(run.WaitForResult(), c.result);
    EXPECT_FALSE(::IsWindow(dialog));
}

INSTANTIATE_TEST_SUITE_P(
    Pairwell, ButtonResult,
    ::testing::Values(ButtonCase{"ConnectFailedOk", ShowConnectFailedDlg, L"Camera WiFiConnectFailDlg prop", 1, 1},
                      ButtonCase{"NotInstalledStore", ShowKOXNotInstalledDlg, L"Camera KOXNotInstalledDlg prop", 1, 1},
                      ButtonCase{"PowerOffOk", ShowPowerOffDlg, L"Camera WiFiPowerOffDlg prop", 1, 1},
                      ButtonCase{"ConnectedContinue", ShowConnectedResult, L"Camera WiFiConnectedDlg prop", 6, 1},
                      ButtonCase{"ConnectedKeep", ShowConnectedResult, L"Camera WiFiConnectedDlg prop", 7, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct CheckBoxCase {
    const char* name;
    int clicks;
    int closingId;  // 0: Alt+F4
    int result;
    bool notShowAgain;
};

class ConnectedCheckBox : public ::testing::TestWithParam<CheckBoxCase> {};

TEST_P(ConnectedCheckBox, ReportsTheStateItClosedWith)
{
    const CheckBoxCase& c = GetParam();
    ConnectedDlgOutcome outcome;
    DialogThread run([&] {
        outcome = ShowConnectedDlg(::GetModuleHandleW(nullptr));
        return outcome.result;
    });
    HWND dialog = run.WaitForDialog(L"Camera WiFiConnectedDlg prop");
    ASSERT_NE(dialog, nullptr);
    for (int i = 0; i < c.clicks; ++i) ::SendMessageW(::GetDlgItem(dialog, 5), BM_CLICK, 0, 0);
    if (c.closingId) ::SendMessageW(::GetDlgItem(dialog, c.closingId), BM_CLICK, 0, 0);
    else ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_EQ(run.WaitForResult(), c.result);
    EXPECT_EQ(outcome.notShowAgain, c.notShowAgain);
}

INSTANTIATE_TEST_SUITE_P(Pairwell, ConnectedCheckBox,
                         ::testing::Values(CheckBoxCase{"CheckedContinue", 1, 6, 1, true},
                                           CheckBoxCase{"CheckedThenClearedContinue", 2, 6, 1, false},
                                           CheckBoxCase{"UncheckedContinue", 0, 6, 1, false},
                                           CheckBoxCase{"CheckedKeep", 1, 7, 0, true},
                                           CheckBoxCase{"CheckedAltF4", 1, 0, 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConnectedDialog, FocusComesBackAfterAnotherWindowWasActive)
{
    DialogThread run([] { return ShowConnectedDlg(::GetModuleHandleW(nullptr)).result; });
    HWND dialog = run.WaitForDialog(L"Camera WiFiConnectedDlg prop");
    ASSERT_NE(dialog, nullptr);
    HWND keep = ::GetDlgItem(dialog, 7);
    HWND checkBox = ::GetDlgItem(dialog, 5);
    // Past the activation that starts the dialog's loop.
    run.Drain(keep);
    ASSERT_EQ(run.Focus(), keep);
    ::SendMessageW(dialog, WM_ACTIVATE, WA_INACTIVE, 0);
    // Meanwhile the focus moves inside the dialog (a click into the check box).
    ::PostMessageW(checkBox, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ::PostMessageW(checkBox, WM_LBUTTONUP, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return run.Focus() == checkBox; }, std::chrono::seconds(5)));
    ::SendMessageW(dialog, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(run.Focus(), keep);
}

TEST(FindOpenDialog, PrefersDialogsInTheSearchOrder)
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    DialogThread powerOff([&] { return ShowPowerOffDlg(instance); });
    HWND powerOffWindow = powerOff.WaitForDialog(L"Camera WiFiPowerOffDlg prop");
    ASSERT_NE(powerOffWindow, nullptr);
    EXPECT_EQ(FindOpenDialog(), powerOffWindow);

    DialogThread failed([&] { return ShowConnectFailedDlg(instance); });
    HWND failedWindow = failed.WaitForDialog(L"Camera WiFiConnectFailDlg prop");
    EXPECT_EQ(FindOpenDialog(), failedWindow);

    DialogThread notInstalled([&] { return ShowKOXNotInstalledDlg(instance); });
    HWND notInstalledWindow = notInstalled.WaitForDialog(L"Camera KOXNotInstalledDlg prop");
    EXPECT_EQ(FindOpenDialog(), notInstalledWindow);

    ::PostMessageW(notInstalledWindow, WM_CLOSE, 0, 0);
    ASSERT_EQ(notInstalled.WaitForResult(), 0);
    EXPECT_EQ(FindOpenDialog(), failedWindow);
}

// A dialog whose button text is missing from the language file.
constexpr ControlEntry kBrokenControls[] = {{ControlKind::DefaultPushButton, 65000, 519, CSingleButtonDlg::kButtonId},
                                            {ControlKind::Message, 505, 518, 0}};
constexpr DialogTable kBrokenTable{L"BrokenTestDlgWnd", L"Camera BrokenTestDlg prop", 517, kBrokenControls, 0};

// A class still registered after its dialog is gone must not point at the
// icon that the dialog destroyed: the next dialog of that class would use it.
bool LeftoverClassHasDeadIcon(HINSTANCE instance, const wchar_t* className)
{
    WNDCLASSEXW leftover{};
    leftover.cbSize = sizeof(leftover);
    if (!::GetClassInfoExW(instance, className, &leftover)) return false;
    ICONINFO info{};
    if (!::GetIconInfo(leftover.hIcon, &info)) return true;
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    return false;
}

TEST(FailedDialog, LeavesNoWindowAndDoesNotEndTheNextDialog)
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    DialogThread run([&] {
        {
            CSingleButtonDlg broken(instance, ::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION)), nullptr,
                                    kBrokenTable);
            if (broken.Create()) return -2;
            broken.Destroy();
        }
        // Its window must not outlive it: it would still point at the object.
        if (::FindWindowW(L"BrokenTestDlgWnd", nullptr)) return -3;
        if (LeftoverClassHasDeadIcon(instance, L"BrokenTestDlgWnd")) return -4;
        return ShowConnectFailedDlg(instance);
    });
    HWND next = run.WaitForDialog(L"Camera WiFiConnectFailDlg prop");
    ASSERT_NE(next, nullptr) << run.WaitForResult(std::chrono::milliseconds(0));
    run.Drain(::GetDlgItem(next, 1));
    EXPECT_FALSE(run.Done());
    ::SendMessageW(::GetDlgItem(next, 1), BM_CLICK, 0, 0);
    EXPECT_EQ(run.WaitForResult(), 1);
}

}  // namespace
}  // namespace tapdeck::pairwell
