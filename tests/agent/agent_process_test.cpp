// The installed Tapdeck.exe, driven from outside as another program would.
#include <gtest/gtest.h>

#include "agent_messages.h"
#include "../../sim/nfc/radio_protocol.h"
#include "observe_app.h"
#include "sim_state.h"
#include "support/process.h"
#include "support/radio_asks.h"
#include "support/standin_census.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::test;

namespace {

bool AgentWindowExists() { return FindWindowWithProperty(kAgentWindowProp) != nullptr; }

// A running agent started with /AutoStart, closed again at the end of the test.
class RunningAgent {
public:
    RunningAgent() : process_(StartProgram(Agent(), L"/AutoStart")) {}
    ~RunningAgent()
    {
        if (process_ && WaitForExit(process_.get(), 0ms) == -1) {
            RunProgram(Agent(), L"/HaltAll");
            if (WaitForExit(process_.get(), 10s) == -1) ::TerminateProcess(process_.get(), 1);
        }
        if (process_) ExpectNothingLeftAlive(process_.get());
    }
    HANDLE Process() const { return process_.get(); }
    bool WaitForWindow() const { return WaitUntil(AgentWindowExists, 10s); }

private:
    unique_handle process_;
};

// Tests that uninstall put the installed state back as they end: the
// prefix's other tests, in whatever order they run, need the Start-menu
// shortcut that lets Pairwell's toasts appear.
class ReinstallsAtTheEnd {
public:
    ~ReinstallsAtTheEnd() { EXPECT_EQ(0, RunProgram(Agent(), L"/Install")); }
};

class OneShotSwitch : public ::testing::TestWithParam<const wchar_t*> {
    ReinstallsAtTheEnd reinstall_;
};

TEST_P(OneShotSwitch, EndsAtOnceWithoutAnAgentWindow)
{
    unique_handle process = StartProgram(Agent(), GetParam());
    ASSERT_TRUE(process);
    EXPECT_EQ(0, WaitForExit(process.get(), 20s));
    EXPECT_FALSE(AgentWindowExists());
}

INSTANTIATE_TEST_SUITE_P(Switches, OneShotSwitch,
                         ::testing::Values(L"/CreateDesktopShortcut", L"/Install", L"/HaltAll", L"/Uninstall",
                                           L"/install", L"/HALTALL"));

// Only the exact switch, in any case, is one: a trailing blank, or a
// character that a comparison by the user's language passes over, makes an
// ordinary start.
class NotASwitch : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(NotASwitch, StartsTheAgent)
{
    unique_handle process = StartProgram(Agent(), GetParam());
    ASSERT_TRUE(process);
    EXPECT_TRUE(WaitUntil(AgentWindowExists, 10s));
    EXPECT_EQ(0, RunProgram(Agent(), L"/HaltAll"));
    EXPECT_EQ(0, WaitForExit(process.get(), 10s));
}

INSTANTIATE_TEST_SUITE_P(CommandLines, NotASwitch,
                         ::testing::Values(L"/Install ", L"/In\u00ADstall", L"/Halt\u2060All"));

TEST(AgentSingleInstance, SecondManualStartAsksTheRunningAgentForItsDialog)
{
    // The test plays the running agent: it owns the mutex and the window.
    unique_mutex instance(::CreateMutexW(nullptr, TRUE, kInstanceMutexName));
    ASSERT_TRUE(instance);
    RecordingWindow agent(kAgentWindowProp);

    EXPECT_EQ(0, RunProgram(Agent(), L""));
    agent.Flush();
    EXPECT_EQ(1, agent.Count(WM_SHOW_MAIN_DLG));

    EXPECT_EQ(0, RunProgram(Agent(), L"/AutoStart"));
    agent.Flush();
    EXPECT_EQ(1, agent.Count(WM_SHOW_MAIN_DLG));
    ::ReleaseMutex(instance.get());
}

TEST(AgentLifecycle, HaltAllFromAnotherProcessClosesTheAgent)
{
    RunningAgent agent;
    ASSERT_TRUE(agent.WaitForWindow());
    EXPECT_EQ(0, RunProgram(Agent(), L"/HaltAll"));
    EXPECT_EQ(0, WaitForExit(agent.Process(), 10s));
    EXPECT_FALSE(AgentWindowExists());
}

TEST(AgentLifecycle, UninstallClosesTheRunningAgent)
{
    ReinstallsAtTheEnd reinstall;
    RunningAgent agent;
    ASSERT_TRUE(agent.WaitForWindow());
    EXPECT_EQ(0, RunProgram(Agent(), L"/Uninstall"));
    EXPECT_EQ(0, WaitForExit(agent.Process(), 10s));
}

// The all-sessions event stays set while any process holds it, so nothing
// repeats a close request that comes before the agent has its window.
TEST(AgentLifecycle, StartedWhileTheAllSessionsEventIsSetItClosesAtOnce)
{
    CObserveApp halt(kAgentIdentity);
    ASSERT_TRUE(halt.SetShutdownAll());
    RunningAgent agent;
    EXPECT_EQ(0, WaitForExit(agent.Process(), 10s));
    ::ResetEvent(halt.AllShutdownEvent());
}

TEST(AgentLifecycle, HaltAllWhileTheAgentIsStillStartingClosesIt)
{
    // The radio driver keeps the agent inside its device lookup, and then
    // finds no radio, so that the agent would run on.
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcPresentFile);
    sim::WriteStateFile(sim::kNfcArea, sim::kNfcHoldFile, L"1");
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcHeldFile);
    RunningAgent agent;
    const std::wstring pid = std::to_wstring(::GetProcessId(agent.Process()));
    const bool held = WaitUntil(
        [&] { return sim::ReadStateFile(sim::kNfcArea, sim::kNfcHeldFile).find(pid) != std::wstring::npos; }, 10s);
    EXPECT_TRUE(held);
    EXPECT_EQ(0, RunProgram(Agent(), L"/HaltAll"));
    EXPECT_FALSE(AgentWindowExists());
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcHoldFile);
    EXPECT_EQ(0, WaitForExit(agent.Process(), 10s));
    EXPECT_FALSE(AgentWindowExists());
}

TEST(AgentLifecycle, PerUserShutdownEventClosesTheAgent)
{
    RunningAgent agent;
    ASSERT_TRUE(agent.WaitForWindow());
    CObserveApp(kAgentIdentity).SetShutdownUser();
    EXPECT_EQ(0, WaitForExit(agent.Process(), 10s));
}

TEST(AgentLifecycle, PairwellIdentityNeverClosesTheAgent)
{
    RunningAgent agent;
    ASSERT_TRUE(agent.WaitForWindow());
    {
        CObserveApp pairwell(L"Pairwell[Guid({37EEC187-45D1-4505-9CE1-E4B618BCB506})]");
        pairwell.SetShutdownAll();
        pairwell.SetShutdownUser();
        // Nothing can be awaited for a close that must not happen.
        EXPECT_EQ(-1, WaitForExit(agent.Process(), 1s));
    }
    EXPECT_TRUE(AgentWindowExists());
}

TEST(AgentLifecycle, TheAgentHoldsItsPresenceMutexes)
{
    RunningAgent agent;
    ASSERT_TRUE(agent.WaitForWindow());
    CObserveApp probe(kAgentIdentity);
    for (const wchar_t* pattern : {L"%s-MutexUser", L"Global\\%s-MutexAll"}) {
        auto name = probe.FormatObjectName(pattern);
        unique_mutex mutex(::OpenMutexW(SYNCHRONIZE, FALSE, name.get()));
        ASSERT_TRUE(mutex) << "missing " << pattern;
        EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), ::WaitForSingleObject(mutex.get(), 0));
    }
}

TEST(AgentLifecycle, HaltAllWithNoAgentStartsNothing)
{
    EXPECT_EQ(0, RunProgram(Agent(), L"/HaltAll"));
    EXPECT_FALSE(AgentWindowExists());
    // And the next agent is not closed by a leftover signal.
    RunningAgent agent;
    ASSERT_TRUE(agent.WaitForWindow());
    EXPECT_EQ(-1, WaitForExit(agent.Process(), 500ms));
}

TEST(AgentLifecycle, WithoutAProximityDeviceTheAgentGivesUpAfterFifteenRetries)
{
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcPresentFile);
    ForgetRadioAsks();
    const auto start = std::chrono::steady_clock::now();
    RunningAgent agent;
    ASSERT_TRUE(agent.WaitForWindow());
    EXPECT_EQ(0, WaitForExit(agent.Process(), 90s));
    // Its start-up lookup and 15 ticks of 2 s: it must not give up early.
    EXPECT_GT(std::chrono::steady_clock::now() - start, 20s);
    EXPECT_EQ(16, RadioAsksBy(::GetProcessId(agent.Process())));
}

}  // namespace
