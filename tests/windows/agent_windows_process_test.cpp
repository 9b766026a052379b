// The installed agent's windows, driven from outside as a user or another
// program would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent_messages.h"
#include "support/process.h"
#include "support/radio_asks.h"
#include "unique_handle.h"
#include "support/window_facts.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::test;

namespace {

std::vector<HWND> WindowsOfClass(DWORD processId, const wchar_t* className)
{
    struct Search {
        DWORD processId;
        const wchar_t* className;
        std::vector<HWND> found;
    } search{processId, className, {}};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            ::GetClassNameW(window, name, 64);
            if (owner == s->processId && ::lstrcmpW(name, s->className) == 0) s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND MainDialog() { return FindWindowWithProperty(kMainDialogProp); }
HWND AboutBox() { return FindWindowWithProperty(kAboutBoxProp); }

// An agent started by hand, ended again at the end of the test.
class ManualAgent {
public:
    explicit ManualAgent(const std::wstring& path = Agent(), const wchar_t* arguments = L"")
        : process_(StartProgram(path, arguments))
    {
    }
    ~ManualAgent()
    {
        if (process_ && WaitForExit(process_.get(), 0ms) == -1) {
            RunProgram(Agent(), L"/HaltAll");
            if (WaitForExit(process_.get(), 10s) == -1) ::TerminateProcess(process_.get(), 1);
        }
    }
    HANDLE Process() const { return process_.get(); }
    DWORD Id() const { return ::GetProcessId(process_.get()); }
    bool WaitForAgentWindow() const
    {
        return WaitUntil([] { return FindWindowWithProperty(kAgentWindowProp) != nullptr; }, 10s);
    }

private:
    unique_handle process_;
};

TEST(AgentMainDialog, ManualStartOpensItCentredOnTheWorkArea)
{
    ManualAgent agent;
    ASSERT_TRUE(agent.Process());
    // The dialog carries its property from its creation, before it is shown.
    ASSERT_TRUE(WaitUntil([] { return MainDialog() && ::IsWindowVisible(MainDialog()); }, 10s));
    HWND dialog = MainDialog();
    EXPECT_EQ(L"Tapdeck", WindowText(dialog));
    DWORD owner = 0;
    ::GetWindowThreadProcessId(dialog, &owner);
    EXPECT_EQ(agent.Id(), owner);

    RECT bounds;
    ASSERT_TRUE(::GetWindowRect(dialog, &bounds));
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT& work = monitor.rcWork;
    EXPECT_EQ((work.left + work.right) / 2 - (bounds.right - bounds.left) / 2, bounds.left);
    EXPECT_EQ((work.top + work.bottom) / 2 - (bounds.bottom - bounds.top) / 2, bounds.top);
}

TEST(AgentMainDialog, SecondManualStartRaisesTheOpenDialogInsteadOfAnother)
{
    ManualAgent agent;
    ASSERT_TRUE(WaitUntil([] { return MainDialog() != nullptr; }, 10s));
    HWND first = MainDialog();

    EXPECT_EQ(0, RunProgram(Agent(), L""));
    // The raise request travels as a posted message: once the dialog answers
    // a sent one, it has been handled.
    ::SendMessageTimeoutW(first, WM_NULL, 0, 0, SMTO_BLOCK, 5000, nullptr);
    const auto dialogs = WindowsWithProp(kMainDialogProp);
    ASSERT_EQ(1u, dialogs.size());
    EXPECT_EQ(first, dialogs.front());
    EXPECT_TRUE(::IsWindowVisible(first));
}

TEST(AgentMainDialog, RequestsPostedBackToBackOpenOneDialog)
{
    ManualAgent agent(Agent(), L"/AutoStart");
    ASSERT_TRUE(agent.WaitForAgentWindow());
    HWND window = FindWindowWithProperty(kAgentWindowProp);
    for (int i = 0; i < 3; ++i) ::PostMessageW(window, WM_SHOW_MAIN_DLG, 0, 0);
    ASSERT_TRUE(WaitUntil([] { return MainDialog() != nullptr; }, 10s));
    // The agent handled all three at once, so a second dialog's thread would
    // have started with the first one's and be about as far.
    ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, nullptr);
    ::SendMessageTimeoutW(MainDialog(), WM_NULL, 0, 0, SMTO_BLOCK, 5000, nullptr);
    EXPECT_FALSE(WaitUntil([] { return WindowsWithProp(kMainDialogProp).size() > 1; }, 2s));

    EXPECT_EQ(0, RunProgram(Agent(), L"/HaltAll"));
    EXPECT_EQ(0, WaitForExit(agent.Process(), 10s));
    EXPECT_TRUE(WindowsWithProp(kMainDialogProp).empty());
}

// The agent waits 300 ms for its dialog to close and then goes on ending;
// a dialog thread held past that and let go while the process ends must
// not break the end.
TEST(AgentMainDialog, ADialogSlowToCloseNeverBreaksTheAgentsEnd)
{
    for (int round = 0; round < 3; ++round) {
        ManualAgent agent;
        ASSERT_TRUE(WaitUntil([] { return MainDialog() != nullptr; }, 10s));
        unique_handle thread(
            ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, ::GetWindowThreadProcessId(MainDialog(), nullptr)));
        ASSERT_TRUE(thread);
        ::SuspendThread(thread.get());
        EXPECT_EQ(0, RunProgram(Agent(), L"/HaltAll"));
        // The instance mutex is the last thing the agent lets go of.
        WaitUntil(
            [] {
                unique_mutex instance(::OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName));
                if (!instance) return true;
                const DWORD taken = ::WaitForSingleObject(instance.get(), 0);
                if (taken == WAIT_TIMEOUT) return false;
                ::ReleaseMutex(instance.get());
                return true;
            },
            10s);
        ::ResumeThread(thread.get());
        EXPECT_EQ(0, WaitForExit(agent.Process(), 10s)) << "round " << round;
    }
}

TEST(AgentMainDialog, OkClosesTheDialogAndTheAgentGoesOn)
{
    ManualAgent agent;
    ASSERT_TRUE(WaitUntil([] { return MainDialog() != nullptr; }, 10s));
    ::PostMessageW(MainDialog(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(WaitUntil([] { return MainDialog() == nullptr; }, 10s));
    EXPECT_EQ(-1, WaitForExit(agent.Process(), 0ms));
    EXPECT_TRUE(FindWindowWithProperty(kAgentWindowProp));

    // A later manual start opens it again.
    EXPECT_EQ(0, RunProgram(Agent(), L""));
    EXPECT_TRUE(WaitUntil([] { return MainDialog() != nullptr; }, 10s));
}

TEST(AgentMainDialog, ClosingItAfterTheDeviceGiveUpEndsTheAgent)
{
    // No radio: the agent gives up after 15 retries 2 s apart (30 s), but
    // not while the user has its main dialog open.
    ASSERT_EQ(0, RunProgram(L"C:\\tapdeck-sim\\bin\\simctl.exe", L"nfc-device absent"));
    ForgetRadioAsks();
    ManualAgent agent;
    ASSERT_TRUE(WaitUntil([] { return MainDialog() != nullptr; }, 10s));
    // Its start-up lookup and the 15 retries; a tick later it still runs and asks no more.
    EXPECT_TRUE(WaitUntil([&] { return RadioAsksBy(agent.Id()) >= 16; }, 60s));
    EXPECT_EQ(-1, WaitForExit(agent.Process(), 3s));
    EXPECT_EQ(16, RadioAsksBy(agent.Id()));
    ASSERT_NE(nullptr, MainDialog());

    ::PostMessageW(MainDialog(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(0, WaitForExit(agent.Process(), 10s));
    EXPECT_FALSE(FindWindowWithProperty(kAgentWindowProp));
}

TEST(AgentAboutBox, OpensFromTheSystemMenuWithNameVersionAndNotice)
{
    ManualAgent agent;
    ASSERT_TRUE(WaitUntil([] { return MainDialog() != nullptr; }, 10s));
    HWND dialog = MainDialog();
    ::PostMessageW(dialog, WM_SYSCOMMAND, IDM_ABOUT_BOX, 0);
    ASSERT_TRUE(WaitUntil([] { return AboutBox() != nullptr; }, 10s));
    HWND about = AboutBox();
    EXPECT_EQ(L"About Tapdeck", WindowText(about));
    EXPECT_FALSE(::IsWindowEnabled(dialog));

    HWND title = ::GetDlgItem(about, 3);
    EXPECT_EQ(L"Tapdeck", WindowText(title));
    HWND version = ::GetWindow(title, GW_HWNDNEXT);
    // No shared version record in the prefix: the program's own version.
    EXPECT_EQ(L"Version 1.0.0.14100", WindowText(version));
    HWND notice = ::GetWindow(version, GW_HWNDNEXT);
    EXPECT_NE(std::wstring::npos, WindowText(notice).find(L"Vexa Corporation"));

    // A second manual start while the box is open keeps both, one of each.
    EXPECT_EQ(0, RunProgram(Agent(), L""));
    ::SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_BLOCK, 5000, nullptr);
    EXPECT_EQ(1u, WindowsWithProp(kAboutBoxProp).size());
    EXPECT_EQ(1u, WindowsWithProp(kMainDialogProp).size());

    ::PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(WaitUntil([] { return AboutBox() == nullptr; }, 10s));
    EXPECT_TRUE(WaitUntil([dialog] { return ::IsWindowEnabled(dialog) != FALSE; }, 10s));
}

TEST(AgentAboutBox, HaltAllWhileTheBoxIsOpenEndsTheAgent)
{
    ManualAgent agent;
    ASSERT_TRUE(WaitUntil([] { return MainDialog() != nullptr; }, 10s));
    ::PostMessageW(MainDialog(), WM_SYSCOMMAND, IDM_ABOUT_BOX, 0);
    ASSERT_TRUE(WaitUntil([] { return AboutBox() != nullptr; }, 10s));
    EXPECT_EQ(0, RunProgram(Agent(), L"/HaltAll"));
    EXPECT_EQ(0, WaitForExit(agent.Process(), 10s));
    EXPECT_EQ(nullptr, AboutBox());
    EXPECT_EQ(nullptr, MainDialog());
}

// A copy of the installed agent beside a translation that lacks one text.
class BrokenTranslation : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override
    {
        wchar_t self[MAX_PATH];
        const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring folder(self, length);
        folder.resize(folder.find_last_of(L'\\') + 1);
        folder += std::wstring(L"without_") + GetParam();
        copy_ = folder + L"\\Tapdeck.exe";
        ASSERT_TRUE(::CopyFileW(Agent().c_str(), copy_.c_str(), FALSE)) << ::GetLastError();
    }
    void TearDown() override { ::DeleteFileW(copy_.c_str()); }
    std::wstring copy_;
};

class MainDialogTextMissing : public BrokenTranslation {};

TEST_P(MainDialogTextMissing, NoDialogAppearsAndTheAgentRuns)
{
    ManualAgent agent(copy_);
    ASSERT_TRUE(agent.WaitForAgentWindow());
    // The half-built window is closed again; none ever carries the property.
    EXPECT_TRUE(WaitUntil([&] { return WindowsOfClass(agent.Id(), L"MainDlgWnd").empty(); }, 10s));
    EXPECT_FALSE(WaitUntil([] { return MainDialog() != nullptr; }, 1500ms));
    EXPECT_EQ(-1, WaitForExit(agent.Process(), 0ms));
}

INSTANTIATE_TEST_SUITE_P(Texts, MainDialogTextMissing, ::testing::Values(L"about_menu", L"font"));

class AboutBoxTextMissing : public BrokenTranslation {};

TEST_P(AboutBoxTextMissing, BoxFailsAndTheMainDialogStaysUsable)
{
    ManualAgent agent(copy_);
    ASSERT_TRUE(WaitUntil([] { return MainDialog() != nullptr; }, 10s));
    HWND dialog = MainDialog();
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Sent, not posted: it returns once the dialog is done with the box.
        DWORD_PTR result = 0;
        ASSERT_TRUE(::SendMessageTimeoutW(dialog, WM_SYSCOMMAND, IDM_ABOUT_BOX, 0, SMTO_BLOCK, 10000, &result));
        EXPECT_EQ(nullptr, AboutBox());
        EXPECT_TRUE(::IsWindow(dialog));
        EXPECT_TRUE(::IsWindowEnabled(dialog));
        EXPECT_EQ(dialog, MainDialog());
    }
    EXPECT_TRUE(WindowsOfClass(agent.Id(), L"AboutDlgWnd").empty());
}

INSTANTIATE_TEST_SUITE_P(Texts, AboutBoxTextMissing, ::testing::Values(L"about_title", L"notice"));

}  // namespace
