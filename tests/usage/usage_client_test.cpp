// The usage-statistics client against builds of the stand-in library.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tallyr_fixture.h"
#include "unique_handle.h"

using namespace tapdeck;
using namespace tapdeck::test;
using ::testing::ElementsAre;

namespace {

const wchar_t* const kEvent[] = {L"NFCFunction", L"Receive", L"NDEF", L"Count"};
const wchar_t* const kSetting[] = {L"General", L"OriginalVersion"};

using ClientTest = TallyrTest;

// Runs one test of this program in a new process; its exit code.
long RunThisTestProgram(const std::wstring& test)
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --gtest_also_run_disabled_tests --gtest_filter=" + test;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        return -1;
    unique_handle process(info.hProcess);
    unique_handle thread(info.hThread);
    if (::WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    return static_cast<long>(code);
}

TEST_F(ClientTest, AbsentLibraryAnswersUnavailableEverywhereAndLoadsNothing)
{
    EXPECT_EQ(kUsageUnavailable, InitUsageStats());
    EXPECT_EQ(kUsageUnavailable, InitUsageStats());
    EXPECT_EQ(kUsageUnavailable, SubmitUsageEvent(4, kEvent));
    EXPECT_EQ(kUsageUnavailable, SubmitUsageSetting(kSetting, L"1.0"));
    EXPECT_EQ(kUsageUnavailable, ReleaseUsageStats());
    EXPECT_TRUE(sim::ReadTallyrCalls().empty());
}

// An incomplete library stays loaded for the life of the process, so this
// case runs in a process of its own.
TEST_F(ClientTest, DISABLED_IncompleteLibraryInThisProcess)
{
    Install(L"no-submitstat");
    EXPECT_EQ(kUsageUnavailable, InitUsageStats());
    // Present in this build, yet an incomplete library takes no calls.
    EXPECT_EQ(kUsageUnavailable, SubmitUsageEvent(4, kEvent));
    EXPECT_EQ(kUsageUnavailable, InitUsageStats());
    EXPECT_EQ(kUsageUnavailable, ReleaseUsageStats());
    EXPECT_EQ(1u, CountOf(L"Attach")) << "resolved again without reloading";
    EXPECT_EQ(0u, CountOf(L"Detach"));
    EXPECT_TRUE(LibraryCalls().empty());
}

TEST_F(ClientTest, MissingRequiredEntryKeepsTheLibraryLoadedButTakesNoCalls)
{
    EXPECT_EQ(0, RunThisTestProgram(L"ClientTest.DISABLED_IncompleteLibraryInThisProcess"));
}

TEST_F(ClientTest, TwoInitialisationsNeedTwoReleasesBeforeTheLibraryIsFinalised)
{
    Install(L"complete");
    EXPECT_EQ(S_OK, InitUsageStats());
    EXPECT_EQ(S_FALSE, InitUsageStats());
    EXPECT_EQ(S_FALSE, ReleaseUsageStats());
    EXPECT_EQ(S_OK, SubmitUsageEvent(4, kEvent)) << "still loaded after the first release";
    EXPECT_EQ(0u, CountOf(L"Finalize"));
    EXPECT_EQ(S_OK, ReleaseUsageStats());
    EXPECT_EQ(kUsageUnavailable, SubmitUsageEvent(4, kEvent));
    EXPECT_EQ(kUsageUnavailable, ReleaseUsageStats());

    EXPECT_THAT(LibraryCalls(),
                ElementsAre(ElementsAre(L"Initialize", L"Tapdeck", L"0"),
                            ElementsAre(L"SubmitEventAsync", L"Tapdeck", L"4", L"NFCFunction", L"Receive", L"NDEF",
                                        L"Count"),
                            ElementsAre(L"Finalize", L"Tapdeck", L"1000")));
    EXPECT_EQ(1u, CountOf(L"Detach"));
}

TEST_F(ClientTest, InitialiseResultOfTheLibraryIsPassedBackAndStillCountsAsAUser)
{
    Install(L"complete");
    SetInitializeResult(L"0x80070005");
    EXPECT_EQ(E_ACCESSDENIED, InitUsageStats());
    EXPECT_EQ(S_OK, SubmitUsageEvent(4, kEvent));
    EXPECT_EQ(S_OK, ReleaseUsageStats());
    EXPECT_EQ(1u, CountOf(L"Finalize"));
}

TEST_F(ClientTest, LibraryWithoutInitializeOrFinalizeIsWaitedForAtRelease)
{
    Install(L"no-init-finalize");
    EXPECT_EQ(S_OK, InitUsageStats());
    EXPECT_EQ(S_OK, ReleaseUsageStats());
    EXPECT_THAT(LibraryCalls(), ElementsAre(ElementsAre(L"WaitForTermination", L"1000")));
    EXPECT_EQ(1u, CountOf(L"Detach"));
}

TEST_F(ClientTest, SettingGoesToTheDiscreteSubmitWithItsValueAndFlag)
{
    Install(L"complete");
    ASSERT_EQ(S_OK, InitUsageStats());
    EXPECT_EQ(S_OK, SubmitUsageSetting(kSetting, L"1.0.0.14100"));
    EXPECT_EQ(S_OK, SubmitUsageSetting(kSetting, L""));
    EXPECT_THAT(LibraryCalls(),
                ElementsAre(::testing::_,
                            ElementsAre(L"SubmitSettingDiscreteAsync", L"Tapdeck", L"2", L"General",
                                        L"OriginalVersion", L"1.0.0.14100", L"1"),
                            ElementsAre(L"SubmitSettingDiscreteAsync", L"Tapdeck", L"2", L"General",
                                        L"OriginalVersion", L"", L"1")));
}

TEST_F(ClientTest, AccessViolationInsideTheLibraryIsReportedAndTheProcessGoesOn)
{
    Install(L"faulting-submit");
    ASSERT_EQ(S_OK, InitUsageStats());
    EXPECT_EQ(kUsageException, SubmitUsageEvent(4, kEvent));
    EXPECT_EQ(kUsageException, SubmitUsageEvent(4, kEvent));
    // The locks were left properly: everything else still works.
    EXPECT_EQ(S_OK, SubmitUsageSetting(kSetting, L"x"));
    EXPECT_EQ(S_OK, ReleaseUsageStats());
    EXPECT_EQ(2u, CountOf(L"SubmitEventAsync"));
    EXPECT_EQ(1u, CountOf(L"Finalize"));
    EXPECT_EQ(1u, CountOf(L"Detach"));
}

TEST_F(ClientTest, ReplacedLibraryIsLoadedAfresh)
{
    Install(L"complete");
    ASSERT_EQ(S_OK, InitUsageStats());
    ASSERT_EQ(S_OK, ReleaseUsageStats());
    Install(L"faulting-submit");
    ASSERT_EQ(S_OK, InitUsageStats());
    EXPECT_EQ(kUsageException, SubmitUsageEvent(4, kEvent));
    EXPECT_EQ(2u, CountOf(L"Attach"));
}

// While the library is inside Initialize, the client holds both locks:
// a submit from another thread waits for it, and so does another init.
TEST_F(ClientTest, CallsWaitWhileTheLibraryIsBeingInitialised)
{
    Install(L"complete");
    unique_event hold(::CreateEventW(nullptr, TRUE, FALSE, sim::kTallyrHoldEvent));
    unique_event inside(::CreateEventW(nullptr, TRUE, FALSE, sim::kTallyrInsideEvent));
    ASSERT_TRUE(hold && inside);

    std::atomic<HRESULT> initResult{E_PENDING}, submitResult{E_PENDING}, secondInit{E_PENDING};
    std::thread init([&] { initResult = InitUsageStats(); });
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(inside.get(), 10000));
    std::thread submit([&] { submitResult = SubmitUsageEvent(4, kEvent); });
    std::thread again([&] { secondInit = InitUsageStats(); });
    ::Sleep(200);  // time for a wrong lock to let a call through
    EXPECT_EQ(E_PENDING, submitResult.load());
    EXPECT_EQ(E_PENDING, secondInit.load());
    ::SetEvent(hold.get());
    init.join();
    submit.join();
    again.join();
    hold.reset();

    EXPECT_EQ(S_OK, initResult.load());
    EXPECT_EQ(S_OK, submitResult.load());
    EXPECT_EQ(S_FALSE, secondInit.load());
    const Calls calls = LibraryCalls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(L"Initialize", calls[0][0]);
    EXPECT_EQ(L"SubmitEventAsync", calls[1][0]);
}

// Several threads submit while others bring the client up and down: every
// submit that reports success is in the record exactly once and whole, and
// each load is matched by one finalisation.
TEST_F(ClientTest, ConcurrentSubmitsRacingInitAndReleaseLoseAndTearNothing)
{
    Install(L"complete");
    constexpr int kThreads = 4;
    constexpr int kPerThread = 100;
    std::atomic<int> accepted{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> cycling{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &accepted, &cycling] {
            while (!cycling) ::Sleep(0);
            // On a loaded machine every one of the first submissions can fall
            // between a release and the next start: go on until one lands.
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            for (int i = 0; i < kPerThread || (accepted == 0 && std::chrono::steady_clock::now() < giveUp); ++i) {
                const std::wstring id = std::to_wstring(t) + L":" + std::to_wstring(i);
                const wchar_t* strings[] = {L"Race", id.c_str(), L"Count"};
                if (SubmitUsageEvent(3, strings) == S_OK) ++accepted;
            }
        });
    }
    std::thread cycler([&stop, &cycling] {
        for (int cycle = 0; !stop; ++cycle) {
            if (InitUsageStats() == S_OK) {
                cycling = true;
                InitUsageStats();
                ReleaseUsageStats();
                ReleaseUsageStats();
            }
        }
        cycling = true;  // never leave the submitters waiting
    });
    for (auto& thread : threads) thread.join();
    stop = true;
    cycler.join();

    std::set<std::wstring> seen;
    size_t initializes = 0, finalizes = 0;
    for (const auto& call : LibraryCalls()) {
        if (call[0] == L"Initialize") ++initializes;
        if (call[0] == L"Finalize") ++finalizes;
        if (call[0] != L"SubmitEventAsync") continue;
        ASSERT_EQ(6u, call.size());
        EXPECT_EQ(L"3", call[2]);
        EXPECT_EQ(L"Race", call[3]);
        EXPECT_EQ(L"Count", call[5]);
        EXPECT_TRUE(seen.insert(call[4]).second) << "twice: " << sim::ToUtf8(call[4]);
    }
    EXPECT_GT(accepted.load(), 0);
    EXPECT_EQ(static_cast<size_t>(accepted.load()), seen.size());
    EXPECT_EQ(initializes, finalizes);
    EXPECT_EQ(CountOf(L"Attach"), CountOf(L"Detach"));
}

}  // namespace
