// The installed agent with the stand-in radio: touches start registered
// handlers, and a second instance's "/Publish" payload is published.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include "agent_messages.h"
#include "nfc_test_world.h"
#include "resource_probe.h"
#include "support/process.h"
#include "support/standin_census.h"
#include "tallyr_record.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::test;

namespace {

long Touch(const std::string& messageHex) { return sim::BroadcastRadioRequest(TouchRequest(messageHex)); }

long Touch(const std::wstring& type, const std::string& payloadHex) { return Touch(TagMessage(type, payloadHex)); }

class AgentWithRadio : public ::testing::Test {
protected:
    void SetUp() override { FreshNfcWorld(false); }
    void TearDown() override
    {
        if (agent_ && WaitForExit(agent_.get(), 0ms) == -1) {
            RunProgram(Agent(), L"/HaltAll");
            if (WaitForExit(agent_.get(), 10s) == -1) ::TerminateProcess(agent_.get(), 1);
        }
        if (agent_) ExpectNothingLeftAlive(agent_.get(), {sim::kNfcCensus});
        ClearRegistrations();
        ResetRadio();
    }
    // Starts the agent and waits until it has subscribed the type.
    bool StartAgent(const std::wstring& subscribedType)
    {
        agent_ = StartProgram(Agent(), L"/AutoStart");
        return agent_ && WaitUntil([&] { return ActiveSubscriptions(subscribedType) > 0; }, 15s) &&
               WaitUntil([] { return FindWindowWithProperty(kAgentWindowProp) != nullptr; }, 10s);
    }
    unique_handle agent_;
};

using Starts = std::vector<std::wstring>;

bool MainDialogOpen() { return FindWindowWithProperty(kMainDialogProp) != nullptr; }

TEST_F(AgentWithRadio, TouchStartsTheRegisteredHandlerWithTheMessageData)
{
    SetRadioPresent(true);
    Register(L"Recorder NDEF", L"NDEF", kRecorder);
    Register(L"Recorder Windows", L"Windows.VexaSample", L"%SystemDrive%\\tapdeck-sim\\bin\\nfc-recorder.exe");
    ASSERT_TRUE(StartAgent(L"NDEF"));
    EXPECT_EQ(1, ActiveSubscriptions(L"Windows.VexaSample"));

    // Bytes that are no NDEF message reach nobody, not even "NDEF".
    EXPECT_EQ(0, Touch("01"));
    EXPECT_EQ(0, Touch("d1010555ab"));
    const std::string ext = TagMessage(L"NDEF:ext.vexa.com:sample", "01ab");
    EXPECT_EQ(1, Touch(ext));
    ASSERT_TRUE(WaitForRecorders());
    EXPECT_EQ(Starts{L"nfc-recorder.exe\t" + sim::FromUtf8(ext)}, HandlerStarts());

    // Another PC's Windows message is an NDEF message too: "NDEF" gets all
    // of it, the Windows type its text.
    const std::string windows =
        TagMessage(L"Windows.VexaSample", Utf16Hex(L"open the door") + "0000" + Utf16Hex(L"hidden"));
    EXPECT_EQ(2, Touch(windows));
    ASSERT_TRUE(WaitForRecorders());
    auto starts = HandlerStarts();
    std::sort(starts.begin() + 1, starts.end());
    EXPECT_EQ((Starts{L"nfc-recorder.exe\t" + sim::FromUtf8(ext), L"nfc-recorder.exe\t" + sim::FromUtf8(windows),
                      L"nfc-recorder.exe\topen the door"}),
              starts);
}

// A resident agent answers touches for months: what it holds must not grow
// with them. The handler's program is missing, so no process start is in it.
TEST_F(AgentWithRadio, AnsweredTouchesLeaveTheAgentsHandlesFlat)
{
    SetRadioPresent(true);
    Register(L"Missing", L"NDEF", L"%SystemDrive%\\tapdeck-sim\\bin\\no-such-handler.exe");
    ASSERT_TRUE(StartAgent(L"NDEF"));
    const DWORD pid = ::GetProcessId(agent_.get());
    for (int i = 0; i < 20; ++i) ASSERT_EQ(1, Touch(L"NDEF", "01"));
    const long before = soak::HandleCount(pid);
    ASSERT_GT(before, 0);
    for (int i = 0; i < 200; ++i) ASSERT_EQ(1, Touch(L"NDEF", "02"));
    EXPECT_LT(soak::HandleCount(pid) - before, 20) << "handles before the 200 touches: " << before;
}

TEST_F(AgentWithRadio, RegistrationAddedWhileRunningTakesEffectWithoutRestart)
{
    SetRadioPresent(true);
    Register(L"First", L"NDEF:Unknown", kRecorder);
    ASSERT_TRUE(StartAgent(L"NDEF:Unknown"));
    Register(L"Second", L"NDEF:ext.vexa", kRecorder);
    ASSERT_TRUE(WaitUntil([] { return ActiveSubscriptions(L"NDEF:ext.vexa") == 1; }, 5s));
    // The agent records the type just after the radio shows the subscription:
    // a touch in between starts nothing, so touch until one starts.
    ASSERT_TRUE(WaitUntil(
        [] { return Touch(L"NDEF:ext.vexa", "beef") == 1 && WaitForRecorders() && !HandlerStarts().empty(); }, 5s));
    EXPECT_EQ(Starts{L"nfc-recorder.exe\t" + sim::FromUtf8(TagMessage(L"NDEF:ext.vexa", "beef"))}, HandlerStarts());

    Unregister(L"Second");
    ASSERT_TRUE(WaitUntil([] { return ActiveSubscriptions(L"NDEF:ext.vexa") == 0; }, 5s));
}

TEST_F(AgentWithRadio, RadioAppearingDuringTheRetriesIsSubscribed)
{
    Register(L"First", L"NDEF", kRecorder);
    agent_ = StartProgram(Agent(), L"/AutoStart");
    ASSERT_TRUE(WaitUntil([] { return FindWindowWithProperty(kAgentWindowProp) != nullptr; }, 10s));
    EXPECT_EQ(0, ActiveSubscriptions(L"NDEF"));
    SetRadioPresent(true);
    EXPECT_TRUE(WaitUntil([] { return ActiveSubscriptions(L"NDEF") == 1; }, 6s));
}

// The retry ticks are sent to the agent's window, so their count is exact.
TEST_F(AgentWithRadio, RadioAppearingOnTheFifthRetryEndsTheRetriesAndSubscribesOnce)
{
    Register(L"First", L"NDEF", kRecorder);
    agent_ = StartProgram(Agent(), L"/AutoStart");
    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (window = FindWindowWithProperty(kAgentWindowProp)) != nullptr; }, 10s));
    for (int tick = 1; tick <= 4; ++tick) ::SendMessageW(window, WM_TIMER, TIMER_DEVICE_RETRY, 0);
    EXPECT_EQ(0, ActiveSubscriptions(L"NDEF"));
    SetRadioPresent(true);
    ::SendMessageW(window, WM_TIMER, TIMER_DEVICE_RETRY, 0);
    EXPECT_EQ(1, ActiveSubscriptions(L"NDEF"));
    // Later ticks open nothing again: one arrival handler, one subscription.
    for (int tick = 0; tick < 15; ++tick) ::SendMessageW(window, WM_TIMER, TIMER_DEVICE_RETRY, 0);
    EXPECT_EQ(1, ActiveSubscriptions(L"NDEF"));
    EXPECT_EQ("ok 1", sim::SendRadioRequest(::GetProcessId(agent_.get()), "arrive"));
    EXPECT_EQ(-1, WaitForExit(agent_.get(), 0ms));
}

// Found on a retry with nothing to subscribe while the main dialog is open:
// the agent ends once the user has closed the dialog.
TEST_F(AgentWithRadio, RadioWithoutRegistrationsFoundOnARetryEndsTheAgentAfterTheDialog)
{
    agent_ = StartProgram(Agent(), L"");
    ASSERT_TRUE(WaitUntil(MainDialogOpen, 15s));
    SetRadioPresent(true);
    ::SendMessageW(FindWindowWithProperty(kAgentWindowProp), WM_TIMER, TIMER_DEVICE_RETRY, 0);
    EXPECT_EQ(-1, WaitForExit(agent_.get(), 0ms));
    ::PostMessageW(FindWindowWithProperty(kMainDialogProp), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(0, WaitForExit(agent_.get(), 10s));
}

TEST_F(AgentWithRadio, RadioWithoutRegistrationsEndsTheAgentAtStart)
{
    SetRadioPresent(true);
    agent_ = StartProgram(Agent(), L"/AutoStart");
    ASSERT_TRUE(agent_);
    EXPECT_EQ(0, WaitForExit(agent_.get(), 15s));
}

TEST_F(AgentWithRadio, SecondInstancePublishesForTheRunningAgent)
{
    SetRadioPresent(true);
    Register(L"First", L"NDEF", kRecorder);
    ASSERT_TRUE(StartAgent(L"NDEF"));

    EXPECT_EQ(0, RunProgram(Agent(), L"/Publish /NDEF:ext.vexa /x/D10101AB"));
    auto published = RadioRecords(sim::kNfcPublishedFile);
    ASSERT_EQ(1u, published.size());
    EXPECT_EQ(L"\tNDEF\td10101ab", published[0].substr(published[0].find(L'\t', 8)));

    EXPECT_GE(sim::BroadcastRadioRequest("transmit"), 1);
    published = RadioRecords(sim::kNfcPublishedFile);
    EXPECT_EQ(1, CountPrefix(published, L"withdraw"));
}

TEST_F(AgentWithRadio, MalformedPublishRequestsPublishNothing)
{
    SetRadioPresent(true);
    Register(L"First", L"NDEF", kRecorder);
    ASSERT_TRUE(StartAgent(L"NDEF"));
    for (const wchar_t* line : {L"/Publish", L"/Publish ", L"/Publish NDEF01ab", L"/Publish /NDEF/01ab",
                                L"/Publish /NDEF /0g", L"/Publish /NDEF /abc", L"/Publish /NDEF /\u00e9\u00e9",
                                L"/Publish /NDEF /"}) {
        EXPECT_EQ(0, RunProgram(Agent(), line)) << line;
    }
    EXPECT_TRUE(RadioRecords(sim::kNfcPublishedFile).empty());
    // The agent took all of it and still answers.
    EXPECT_EQ(1, Touch(L"NDEF", "01"));
    ASSERT_TRUE(WaitForRecorders());
    EXPECT_EQ(Starts{L"nfc-recorder.exe\t" + sim::FromUtf8(TagMessage(L"NDEF", "01"))}, HandlerStarts());
}

// Started with the switch, the first instance becomes the agent and drops
// the payload; the switch in lower case is a manual start, which raises the
// running agent. Only a second instance's exact switch publishes.
TEST_F(AgentWithRadio, OnlyASecondInstanceWithTheExactSwitchPublishes)
{
    SetRadioPresent(true);
    Register(L"First", L"NDEF", kRecorder);
    agent_ = StartProgram(Agent(), L"/Publish /NDEF /01");
    ASSERT_TRUE(WaitUntil(MainDialogOpen, 15s));
    EXPECT_EQ(1, ActiveSubscriptions(L"NDEF"));
    ::PostMessageW(FindWindowWithProperty(kMainDialogProp), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([] { return !MainDialogOpen(); }, 10s));

    EXPECT_EQ(0, RunProgram(Agent(), L"/publish /NDEF /02"));
    EXPECT_TRUE(WaitUntil(MainDialogOpen, 10s));

    EXPECT_EQ(0, RunProgram(Agent(), L"/Publish /NDEF /03"));
    const auto published = RadioRecords(sim::kNfcPublishedFile);
    ASSERT_EQ(1u, published.size());
    EXPECT_EQ(L"\tNDEF\t03", published[0].substr(published[0].find(L'\t', 8)));
}

TEST_F(AgentWithRadio, HostileCopyDataBlocksAreIgnored)
{
    SetRadioPresent(true);
    Register(L"First", L"NDEF", kRecorder);
    ASSERT_TRUE(StartAgent(L"NDEF"));
    HWND agent = FindWindowWithProperty(kAgentWindowProp);
    const char invalid[] = "/NDEF /\xff\xfe\x80" "01";
    COPYDATASTRUCT blocks[] = {{0, 0, nullptr}, {0, 10, nullptr}, {0, 0, const_cast<char*>(invalid)},
                               {0, sizeof(invalid) - 1, const_cast<char*>(invalid)}};
    for (auto& block : blocks) ::SendMessageW(agent, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&block));
    std::string huge = "/NDEF /";
    huge.append(200000, 'a');
    COPYDATASTRUCT big{0, static_cast<DWORD>(huge.size()), huge.data()};
    ::SendMessageW(agent, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&big));
    EXPECT_EQ(agent, FindWindowWithProperty(kAgentWindowProp));
    // Invalid UTF-8 is replaced, so its data is not hexadecimal; the long one is.
    const auto published = RadioRecords(sim::kNfcPublishedFile);
    ASSERT_EQ(1u, published.size());
    // The record holds the hexadecimal text as published, after a tab.
    EXPECT_EQ(200000u + 1, published[0].size() - published[0].rfind(L'\t'));
}

// --- Usage events ----------------------------------------------------------

using Call = std::vector<std::wstring>;

Call Event(std::initializer_list<const wchar_t*> strings)
{
    Call call{L"SubmitEventAsync", L"Tapdeck", std::to_wstring(strings.size())};
    call.insert(call.end(), strings.begin(), strings.end());
    return call;
}

long CountCalls(const Call& wanted)
{
    long count = 0;
    for (const auto& call : sim::ReadTallyrCallsFrom(L"Tapdeck.exe")) count += call == wanted;
    return count;
}

class AgentUsage : public AgentWithRadio {
protected:
    void SetUp() override
    {
        AgentWithRadio::SetUp();
        sim::ClearTallyrCalls();
        SetRadioPresent(true);
        Register(L"First", L"NDEF", kRecorder);
        ASSERT_TRUE(StartAgent(L"NDEF"));
    }
};

TEST_F(AgentUsage, EachAnsweredTouchIsOneReceiveEventOfItsType)
{
    EXPECT_EQ(1, Touch(L"NDEF", "01ab"));
    EXPECT_EQ(1, Touch(L"NDEF", "02"));
    EXPECT_EQ(0, Touch(""));
    EXPECT_EQ(0, Touch("03"));
    const Call receive = Event({L"NFCFunction", L"Receive", L"NDEF", L"Count"});
    ASSERT_TRUE(WaitUntil([&] { return CountCalls(receive) >= 2; }, 10s));
    // Every touch is an arrival; only the answered ones are received.
    EXPECT_EQ(4, CountCalls(Event({L"NFCFunction", L"DeviceArrived", L"Count"})));
    EXPECT_EQ(2, CountCalls(receive));
    EXPECT_EQ(0, CountCalls(Event({L"NFCFunction", L"Receive", L"NDEF:unregistered", L"Count"})));
}

TEST_F(AgentUsage, PublishRequestsAreSentAndRejectedOnesAlsoFail)
{
    EXPECT_EQ(0, RunProgram(Agent(), L"/Publish /NDEF:ext.vexa /d10101ab"));
    EXPECT_EQ(0, RunProgram(Agent(), L"/Publish /Vexa.Bad /0g"));
    EXPECT_EQ(0, RunProgram(Agent(), L"/Publish NoSlashOrBlank"));
    const auto calls = sim::ReadTallyrCallsFrom(L"Tapdeck.exe");
    std::vector<Call> nfcCalls;
    for (const auto& call : calls)
        if (call.size() > 3 && call[3] == L"NFCFunction") nfcCalls.push_back(call);
    EXPECT_EQ((std::vector<Call>{Event({L"NFCFunction", L"Send", L"NDEF:ext.vexa", L"Count"}),
                                 Event({L"NFCFunction", L"Send", L"Vexa.Bad", L"Count"}),
                                 Event({L"NFCFunction", L"SendFailed", L"Vexa.Bad", L"Count"})}),
              nfcCalls);
}

// --- A storm ---------------------------------------------------------------

// Several radio threads touch the running agent without pause while
// registrations come and go, and the agent is halted in the middle of it.
TEST_F(AgentWithRadio, TouchStormWhileRegistrationsChangeAndTheAgentHalts)
{
    const std::wstring missing = kMissingHandler;
    SetRadioPresent(true);
    Register(L"A", kStormType, kRecorder);
    Register(L"B", L"NDEF:ext.storm.missing", missing);
    Register(L"C", L"Windows.Storm", kRecorder);
    ASSERT_TRUE(StartAgent(kStormType));
    const DWORD pid = ::GetProcessId(agent_.get());

    std::atomic<long> sequence{0};
    std::atomic<bool> stop{false};
    auto radio = [&] {
        static const wchar_t* const others[] = {L"NDEF:ext.storm.missing", L"NDEF:ext.extra0", L"NDEF:ext.extra1",
                                                L"NDEF:ext.unregistered"};
        while (!stop) {
            const long n = sequence++;
            char hex[16];
            std::snprintf(hex, sizeof(hex), "%08lx", n);
            std::string request;
            if (n % 128 == 0) {
                request = TouchRequest(TagMessage(kStormType, hex));
            } else if (n % 128 == 64) {
                // The string form: the same eight digits as UTF-16LE text.
                request = TouchRequest(TagMessage(L"Windows.Storm", Utf16Hex(std::wstring(hex, hex + 8))));
            } else {
                request = TouchRequest(TagMessage(others[n % 4], hex));
            }
            sim::SendRadioRequest(pid, request);
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) threads.emplace_back(radio);
    threads.push_back(ChurnRegistrations(stop));
    const bool stormed = WaitUntil([&] { return sequence >= 1000; }, 120s);
    RunProgram(Agent(), L"/HaltAll");
    const long exitCode = WaitForExit(agent_.get(), 30s);
    const long haltedAt = sequence;
    stop = true;
    for (auto& thread : threads) thread.join();
    EXPECT_TRUE(stormed);
    EXPECT_EQ(0, exitCode);
    ASSERT_TRUE(WaitForRecorders());

    ExpectStormStartsWellFormed(haltedAt);
}

}  // namespace
