// The agent's start-up report, run through the installed agent: its
// usage-report tick is driven by posting the timer message to its window,
// and what it reported is read from the usage-statistics stand-in's record.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include "agent_messages.h"
#include "shared_info.h"
#include "sim_state.h"
#include "support/process.h"
#include "tallyr_record.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::test;
using ::testing::ElementsAre;

namespace {

using Calls = std::vector<std::vector<std::wstring>>;

constexpr wchar_t kProductVersion[] = L"1.0.0.14100";

std::wstring StandInBuild(const wchar_t* file) { return std::wstring(L"C:\\tapdeck-sim\\bin\\tallyr\\") + file; }

// What the agent's own code asked of the library (Dropwatch, in the same
// process, keeps a client of its own).
Calls RecordedCalls() { return sim::ReadTallyrCallsFrom(L"Tapdeck.exe"); }

bool Recorded(const wchar_t* function)
{
    for (const auto& call : RecordedCalls())
        if (call[0] == function) return true;
    return false;
}

// Runs one agent to its usage-report tick and halts it again.
class AgentReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim::ClearTallyrCalls();
        sim::DeleteStateFile(sim::kTallyrArea, L"initialize-result");
        ASSERT_TRUE(sim::InstallTallyrFrom(StandInBuild(L"tallyr.dll")));
    }

    // The tick, then the agent's end; false when the agent did not end.
    bool RunTickAndHalt(const wchar_t* awaited = L"SubmitEventAsync")
    {
        unique_handle agent = StartProgram(Agent(), L"/AutoStart");
        if (!agent) return false;
        HWND window = nullptr;
        WaitUntil([&] { return (window = FindWindowWithProperty(kAgentWindowProp)) != nullptr; }, 10s);
        EXPECT_TRUE(window);
        if (window) {
            ::PostMessageW(window, WM_TIMER, TIMER_USAGE_REPORT, 0);
            EXPECT_TRUE(WaitUntil([&] { return Recorded(awaited); }, 10s));
        }
        RunProgram(Agent(), L"/HaltAll");
        const long code = WaitForExit(agent.get(), 15s);
        if (code == -1) ::TerminateProcess(agent.get(), 1);
        return code == 0;
    }

    SharedInfo info_;
    sim::ScopedTallyrInstall restore_;
};

std::vector<std::wstring> Setting(const wchar_t* name, const std::wstring& value)
{
    return {L"SubmitSettingDiscreteAsync", L"Tapdeck", L"2", L"General", name, value, L"1"};
}

const std::vector<std::wstring> kStartEvent{L"SubmitEventAsync", L"Tapdeck", L"3", L"General", L"Start", L"Automatic"};
const std::vector<std::wstring> kInitialize{L"Initialize", L"Tapdeck", L"0"};
const std::vector<std::wstring> kFinalize{L"Finalize", L"Tapdeck", L"1000"};

TEST_F(AgentReport, WithoutSharedRecordsTheVersionResourceIsTheCurrentVersion)
{
    ASSERT_TRUE(RunTickAndHalt());
    EXPECT_THAT(RecordedCalls(), ElementsAre(kInitialize, Setting(L"OriginalVersion", L""),
                                             Setting(L"CurrentVersion", kProductVersion), kStartEvent, kFinalize));
}

TEST_F(AgentReport, SharedRecordsGiveBothVersionsAndThe32BitViewComesFirst)
{
    ASSERT_TRUE(info_.SetOriginal(L"1.0.0.13000"));
    ASSERT_TRUE(info_.SetVersionFile(KEY_WOW64_32KEY, "1.0.0.14250\r\nnotes\r\n"));
    ASSERT_TRUE(info_.SetVersionFile(KEY_WOW64_64KEY, "9.9.9.9\r\n"));
    ASSERT_TRUE(RunTickAndHalt());
    EXPECT_THAT(RecordedCalls(), ElementsAre(kInitialize, Setting(L"OriginalVersion", L"1.0.0.13000"),
                                             Setting(L"CurrentVersion", L"1.0.0.14250"), kStartEvent, kFinalize));
}

TEST_F(AgentReport, MissingFileInThe32BitViewFallsBackToThe64BitRecord)
{
    ASSERT_TRUE(info_.SetVersionPath(KEY_WOW64_32KEY, L"C:\\no\\such\\version.txt"));
    ASSERT_TRUE(info_.SetVersionFile(KEY_WOW64_64KEY, "1.0.0.14300\r\n"));
    ASSERT_TRUE(RunTickAndHalt());
    const Calls calls = RecordedCalls();
    ASSERT_EQ(5u, calls.size());
    EXPECT_EQ(Setting(L"CurrentVersion", L"1.0.0.14300"), calls[2]);
}

TEST_F(AgentReport, EmptyVersionFileIsReportedEmptyWithoutTheResourceFallback)
{
    ASSERT_TRUE(info_.SetVersionFile(KEY_WOW64_32KEY, ""));
    ASSERT_TRUE(RunTickAndHalt());
    const Calls calls = RecordedCalls();
    ASSERT_EQ(5u, calls.size());
    EXPECT_EQ(Setting(L"CurrentVersion", L""), calls[2]);
}

TEST_F(AgentReport, LongFirstLineAndDwordRecordGiveTheFirst99CharactersAndNoOriginal)
{
    const DWORD number = 14100;
    ASSERT_TRUE(SharedInfo::SetValue(kAppRecordKey, KEY_WOW64_64KEY, L"version", REG_DWORD, &number, sizeof(number)));
    ASSERT_TRUE(info_.SetVersionFile(KEY_WOW64_32KEY, std::string(120, '4') + "\r\n"));
    ASSERT_TRUE(RunTickAndHalt());
    const Calls calls = RecordedCalls();
    ASSERT_EQ(5u, calls.size());
    EXPECT_EQ(Setting(L"OriginalVersion", L""), calls[1]);
    EXPECT_EQ(Setting(L"CurrentVersion", std::wstring(99, L'4')), calls[2]);
}

TEST_F(AgentReport, LibraryRefusingInitialisationStillGetsTheReportAndNoRelease)
{
    ASSERT_TRUE(sim::WriteStateFile(sim::kTallyrArea, L"initialize-result", L"0x80004005"));
    ASSERT_TRUE(RunTickAndHalt());
    sim::DeleteStateFile(sim::kTallyrArea, L"initialize-result");
    EXPECT_THAT(RecordedCalls(), ElementsAre(ElementsAre(L"Initialize", L"Tapdeck", L"-2147467259"),
                                             Setting(L"OriginalVersion", L""),
                                             Setting(L"CurrentVersion", kProductVersion), kStartEvent));
}

TEST_F(AgentReport, WithoutTheLibraryTheAgentRunsAndEndsAsUsual)
{
    ASSERT_TRUE(sim::RemoveTallyr());
    // Nothing can be recorded: wait for the tick by a dialog-free round trip.
    unique_handle agent = StartProgram(Agent(), L"/AutoStart");
    ASSERT_TRUE(agent);
    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (window = FindWindowWithProperty(kAgentWindowProp)) != nullptr; }, 10s));
    ::PostMessageW(window, WM_TIMER, TIMER_USAGE_REPORT, 0);
    DWORD_PTR answer = 0;
    EXPECT_TRUE(::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &answer));
    EXPECT_EQ(0, RunProgram(Agent(), L"/HaltAll"));
    EXPECT_EQ(0, WaitForExit(agent.get(), 15s));
    EXPECT_TRUE(sim::ReadTallyrCalls().empty());
}

TEST_F(AgentReport, FaultingLibraryLeavesTheAgentRunning)
{
    ASSERT_TRUE(sim::InstallTallyrFrom(StandInBuild(L"tallyr-faulting-submit.dll")));
    ASSERT_TRUE(RunTickAndHalt());
    EXPECT_THAT(RecordedCalls(), ElementsAre(kInitialize, Setting(L"OriginalVersion", L""),
                                             Setting(L"CurrentVersion", kProductVersion), kStartEvent, kFinalize));
}

}  // namespace
