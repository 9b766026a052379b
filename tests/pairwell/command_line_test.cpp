// Pairwell's command line as HandleCommandLine reads it, for texts that no
// process start can deliver: Windows drops the blanks in front of them.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <memory>
#include <set>

#include "pairwell_app.h"
#include "pairwell_world.h"

using namespace tapdeck;
using namespace tapdeck::pairwell;
using namespace tapdeck::test;

namespace {

struct DispatchCase {
    const char* name;
    const wchar_t* commandLine;
    bool dropped;
};

class CommandLine : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(CommandLine, DisconnectsOnlyWithTheSwitchAtTheFirstCharacter)
{
    PairwellWorld world;
    world.Wlan([](sim::WlanSimState& s) { s.connected = kCameraSsid; });
    {
        CPairwell app([](const wchar_t*) { return true; });
        app.HandleCommandLine(::GetModuleHandleW(nullptr), GetParam().commandLine);
        app.ReleaseInstanceObjects();
    }
    EXPECT_EQ(world.Connected(), GetParam().dropped ? L"" : kCameraSsid);
    EXPECT_EQ(world.CountWlanEvents(L"open"), world.CountWlanEvents(L"close"));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CommandLine,
    ::testing::Values(DispatchCase{"LeadingBlankMakesAPayload", L" /Disconnect /KOX-CAM-7F3A", false},
                      // The name starts at the 14th character, whatever the
                      // two characters after the switch are.
                      DispatchCase{"AnyTwoSeparators", L"/Disconnect--KOX-CAM-7F3A", true},
                      DispatchCase{"NoSeparatorCutsTheName", L"/Disconnect/KOX-CAM-7F3A", false}),
    [](const auto& info) { return std::string(info.param.name); });

std::set<DWORD> ThreadsOfThisProcess()
{
    std::set<DWORD> threads;
    unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return threads;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) threads.insert(entry.th32ThreadID);
    }
    return threads;
}

bool AnyStillRunning(const std::set<DWORD>& threads)
{
    for (const DWORD id : threads) {
        unique_handle thread(::OpenThread(SYNCHRONIZE, FALSE, id));
        if (thread && ::WaitForSingleObject(thread.get(), 0) == WAIT_TIMEOUT) return true;
    }
    return false;
}

// "/HaltAll" as a Pairwell ends: the observer thread handles the halt by
// calling into the run, so it must have ended before the run is destroyed.
TEST(PairwellEnd, HaltArrivingAsItEndsNeverMeetsADestroyedRun)
{
    CObserveApp halter(kPairwellIdentity);
    ASSERT_TRUE(halter.AllShutdownEvent());
    int runsOutlivedByTheirObserver = 0;
    for (int round = 0; round < 25; ++round) {
        const std::set<DWORD> before = ThreadsOfThisProcess();
        std::set<DWORD> started;
        // The run's copy of the package query goes with the run.
        std::shared_ptr<void> runGone(nullptr, [&](void*) { runsOutlivedByTheirObserver += AnyStillRunning(started); });
        auto app = std::make_unique<CPairwell>([runGone](const wchar_t*) { return true; });
        runGone.reset();
        app->HandleCommandLine(::GetModuleHandleW(nullptr), L"not a camera payload");
        for (const DWORD id : ThreadsOfThisProcess()) {
            if (!before.count(id)) started.insert(id);
        }
        halter.SetShutdownAll();
        app->ReleaseInstanceObjects();
        app.reset();
        ::ResetEvent(halter.AllShutdownEvent());
    }
    EXPECT_EQ(runsOutlivedByTheirObserver, 0);
}

}  // namespace
