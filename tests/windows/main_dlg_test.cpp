// The agent's dialogs, run in this process on their own thread the way the
// agent's main-dialog thread runs them, with the agent's English texts.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "agent_messages.h"
#include "compare_no_case.h"
#include "high_contrast.h"
#include "res_string.h"
#include "support/process.h"
#include "tpd_app.h"
#include "unique_handle.h"
#include "windows/main_dialog_thread.h"
#include "support/window_facts.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::test;

namespace {

// A memory device context for the colour messages.
class MemoryDc {
public:
    MemoryDc() : dc_(::CreateCompatibleDC(nullptr)) {}
    ~MemoryDc()
    {
        if (dc_) ::DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// Wine appends its own "About Wine" command (0xF141) after a separator to
// every system menu; it is not ours and is left out here.
constexpr UINT kWineAbout = 0xF141;

std::vector<UINT> MenuCommands(HMENU menu)
{
    std::vector<UINT> commands;
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) commands.push_back(::GetMenuItemID(menu, i));
    if (commands.size() >= 2 && commands.back() == kWineAbout && commands[commands.size() - 2] == 0)
        commands.resize(commands.size() - 2);
    return commands;
}

RECT ClientRectIn(HWND control, HWND parent)
{
    RECT bounds{};
    ::GetWindowRect(control, &bounds);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

// Separators read as 0; the about item sits before the separator.
const std::vector<UINT> kMainMenu{SC_MOVE, IDM_ABOUT_BOX, 0, SC_CLOSE};
const std::vector<UINT> kAboutMenu{SC_MOVE, 0, SC_CLOSE};

class AgentDialogs : public ::testing::Test {
protected:
    CTPDApp app_;
};

TEST_F(AgentDialogs, MainDialogIsBuiltFromItsTextsAndLayouts)
{
    MainDialogThread thread(app_);
    HWND dialog = thread.Window();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(L"MainDlgWnd", ClassOf(dialog));
    EXPECT_EQ(nullptr, ::GetMenu(dialog));
    EXPECT_EQ(L"Tapdeck", WindowText(dialog));
    EXPECT_EQ(dialog, FindMainDialog());
    EXPECT_TRUE(::IsWindowVisible(dialog));
    const LONG style = ::GetWindowLongW(dialog, GWL_STYLE);
    EXPECT_EQ(WS_POPUP | WS_CAPTION | WS_SYSMENU, style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                                           WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CHILD));

    // English layouts: window 360 x 118, text 20,18,320,48, OK 262,78,82,26.
    RECT client;
    ASSERT_TRUE(::GetClientRect(dialog, &client));
    EXPECT_EQ(360, client.right);
    EXPECT_EQ(118, client.bottom);

    HWND ok = ::GetDlgItem(dialog, IDOK);
    ASSERT_TRUE(ok);
    EXPECT_EQ(L"OK", WindowText(ok));
    const RECT okRect = ClientRectIn(ok, dialog);
    EXPECT_EQ(262, okRect.left);
    EXPECT_EQ(78, okRect.top);
    EXPECT_EQ(344, okRect.right);
    EXPECT_EQ(104, okRect.bottom);
    // The button lies inside the client area.
    EXPECT_LE(okRect.right, client.right);
    EXPECT_LE(okRect.bottom, client.bottom);

    HWND text = ::GetDlgItem(dialog, 0);
    ASSERT_TRUE(text);
    EXPECT_TRUE(EqualsNoCase(L"STATIC", ClassOf(text)));
    EXPECT_NE(std::wstring::npos, WindowText(text).find(L"NFC"));
}

TEST_F(AgentDialogs, MainDialogSystemMenuOffersOnlyMoveAboutAndClose)
{
    MainDialogThread thread(app_);
    ASSERT_TRUE(thread.Window());
    HMENU menu = ::GetSystemMenu(thread.Window(), FALSE);
    ASSERT_TRUE(menu);
    EXPECT_EQ(kMainMenu, MenuCommands(menu));
    wchar_t label[64] = {};
    ::GetMenuStringW(menu, IDM_ABOUT_BOX, label, 64, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(L"&About Tapdeck..."), label);
}

TEST_F(AgentDialogs, MainDialogSizeIsLocked)
{
    MainDialogThread thread(app_);
    ASSERT_TRUE(thread.Window());
    RECT bounds;
    ::GetWindowRect(thread.Window(), &bounds);
    MINMAXINFO limits{};
    ::SendMessageW(thread.Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    const POINT size{bounds.right - bounds.left, bounds.bottom - bounds.top};
    EXPECT_EQ(size.x, limits.ptMinTrackSize.x);
    EXPECT_EQ(size.y, limits.ptMinTrackSize.y);
    EXPECT_EQ(size.x, limits.ptMaxTrackSize.x);
    EXPECT_EQ(size.y, limits.ptMaxTrackSize.y);
    EXPECT_EQ(size.x, limits.ptMaxSize.x);
    EXPECT_EQ(bounds.left, limits.ptMaxPosition.x);
    EXPECT_EQ(bounds.top, limits.ptMaxPosition.y);
}

TEST_F(AgentDialogs, OkButtonClosesTheDialogAndEndsItsThread)
{
    MainDialogThread thread(app_);
    ASSERT_TRUE(thread.Window());
    ::PostMessageW(thread.Window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(thread.WaitForEnd());
    EXPECT_FALSE(::IsWindow(thread.Window()));
    EXPECT_EQ(nullptr, FindMainDialog());
}

TEST_F(AgentDialogs, DialogOpensAgainAfterItWasClosed)
{
    for (int opening = 0; opening < 3; ++opening) {
        MainDialogThread thread(app_);
        ASSERT_TRUE(thread.Window()) << "opening " << opening;
        ::PostMessageW(thread.Window(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(thread.WaitForEnd());
    }
}

class AboutBox : public AgentDialogs {
protected:
    void SetUp() override
    {
        thread_.emplace(app_);
        ASSERT_TRUE(thread_->Window());
        ::PostMessageW(thread_->Window(), WM_SYSCOMMAND, IDM_ABOUT_BOX, 0);
        ASSERT_TRUE(WaitUntil([] { return FindAboutBox() != nullptr; }, 10s));
        about_ = FindAboutBox();
    }
    std::optional<MainDialogThread> thread_;
    HWND about_ = nullptr;
};

TEST_F(AboutBox, OpensFromTheSystemMenuAndDisablesTheMainDialog)
{
    EXPECT_EQ(L"AboutDlgWnd", ClassOf(about_));
    EXPECT_EQ(L"About Tapdeck", WindowText(about_));
    EXPECT_TRUE(::GetWindowLongW(about_, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    EXPECT_FALSE(::IsWindowEnabled(thread_->Window()));
    EXPECT_EQ(kAboutMenu, MenuCommands(::GetSystemMenu(about_, FALSE)));

    HWND title = ::GetDlgItem(about_, 3);
    ASSERT_TRUE(title);
    EXPECT_EQ(L"Tapdeck", WindowText(title));
    RECT client;
    ::GetClientRect(about_, &client);
    EXPECT_EQ(380, client.right);
    EXPECT_EQ(164, client.bottom);
    const RECT ok = ClientRectIn(::GetDlgItem(about_, IDOK), about_);
    EXPECT_EQ(282, ok.left);
    EXPECT_EQ(124, ok.top);
}

TEST_F(AboutBox, VersionLineStartsWithItsLabel)
{
    // The labels are the two statics with id 0 after the title; the first
    // one is the version line.
    HWND version = ::GetWindow(::GetDlgItem(about_, 3), GW_HWNDNEXT);
    ASSERT_TRUE(version);
    EXPECT_EQ(0, ::GetDlgCtrlID(version));
    EXPECT_EQ(0u, WindowText(version).rfind(L"Version ", 0));
}

TEST_F(AboutBox, ProductNameIsBlueAndOtherTextsUseTheSystemColour)
{
    HWND title = ::GetDlgItem(about_, 3);
    HWND version = ::GetWindow(title, GW_HWNDNEXT);
    MemoryDc dc;
    ASSERT_TRUE(dc.get());
    const auto brush = ::SendMessageW(about_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                                      reinterpret_cast<LPARAM>(title));
    EXPECT_EQ(reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW)), brush);
    EXPECT_EQ(IsHighContrastOn() ? ::GetSysColor(COLOR_WINDOWTEXT) : COLORREF{0x00993300}, ::GetTextColor(dc.get()));
    EXPECT_EQ(::GetSysColor(COLOR_WINDOW), ::GetBkColor(dc.get()));

    ::SendMessageW(about_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()), reinterpret_cast<LPARAM>(version));
    EXPECT_EQ(::GetSysColor(COLOR_WINDOWTEXT), ::GetTextColor(dc.get()));
}

TEST_F(AboutBox, OkClosesItAndGivesTheMainDialogBack)
{
    ::PostMessageW(about_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(WaitUntil([] { return FindAboutBox() == nullptr; }, 10s));
    EXPECT_TRUE(WaitUntil([this] { return ::IsWindowEnabled(thread_->Window()) != FALSE; }, 10s));
    EXPECT_TRUE(::IsWindow(thread_->Window()));
    // And it opens again.
    ::PostMessageW(thread_->Window(), WM_SYSCOMMAND, IDM_ABOUT_BOX, 0);
    EXPECT_TRUE(WaitUntil([] { return FindAboutBox() != nullptr; }, 10s));
}

TEST_F(AboutBox, RaiseRequestKeepsBothWindows)
{
    ::PostMessageW(thread_->Window(), WM_RAISE_MAIN_DLG, 0, 0);
    ::SendMessageW(thread_->Window(), WM_NULL, 0, 0);
    EXPECT_EQ(about_, FindAboutBox());
    EXPECT_EQ(thread_->Window(), FindMainDialog());
}

TEST_F(AboutBox, ActivatingTheMainDialogBringsTheBoxForward)
{
    // The user clicks the disabled main dialog: the box takes the foreground.
    ::SetForegroundWindow(thread_->Window());
    ::SendMessageW(thread_->Window(), WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_TRUE(WaitUntil([this] { return ::GetForegroundWindow() == about_; }, 5s));
}

TEST_F(AboutBox, ClosingTheMainDialogUnderneathEndsBothAndTheThread)
{
    ::PostMessageW(thread_->Window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(thread_->WaitForEnd());
    EXPECT_FALSE(::IsWindow(about_));
    EXPECT_EQ(nullptr, FindMainDialog());
}

}  // namespace
