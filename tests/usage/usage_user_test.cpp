// A deliverable's view of the client: bring it up before an event, skip the
// event while it is down, release once at the end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tallyr_fixture.h"

using namespace tapdeck;
using namespace tapdeck::test;
using ::testing::ElementsAre;

namespace {

using UserTest = TallyrTest;

TEST_F(UserTest, WithoutTheLibraryEveryEventTriesAgainAndNothingIsSubmitted)
{
    UsageUser user;
    user.SubmitEventIfUp({L"NFCFunction", L"DeviceArrived", L"Count"});
    user.SubmitEventIfUp({L"NFCFunction", L"DeviceArrived", L"Count"});
    EXPECT_EQ(kUsageUnavailable, user.Status());
    user.Release();
    EXPECT_EQ(E_FAIL, user.Status());
    EXPECT_TRUE(sim::ReadTallyrCalls().empty());
}

TEST_F(UserTest, FirstEventBringsTheClientUpOnceAndReleaseFinalises)
{
    Install(L"complete");
    UsageUser user;
    user.SubmitEventIfUp({L"NFCFunction", L"DeviceArrived", L"Count"});
    user.SubmitEventIfUp({L"NFCFunction", L"Receive", L"NDEF", L"Count"});
    EXPECT_EQ(S_OK, user.Status());
    user.Release();
    EXPECT_EQ(E_FAIL, user.Status());
    user.Release();  // a second release has nothing to give back
    EXPECT_THAT(LibraryCalls(),
                ElementsAre(ElementsAre(L"Initialize", L"Tapdeck", L"0"),
                            ElementsAre(L"SubmitEventAsync", L"Tapdeck", L"3", L"NFCFunction", L"DeviceArrived",
                                        L"Count"),
                            ElementsAre(L"SubmitEventAsync", L"Tapdeck", L"4", L"NFCFunction", L"Receive", L"NDEF",
                                        L"Count"),
                            ElementsAre(L"Finalize", L"Tapdeck", L"1000")));
}

TEST_F(UserTest, LibraryThatRefusesInitialisationGetsNoEvents)
{
    Install(L"complete");
    SetInitializeResult(L"0x80004005");
    UsageUser user;
    user.SubmitEventIfUp({L"NFCFunction", L"DeviceArrived", L"Count"});
    // Loaded already: the next try answers 1, which is not "up" either.
    user.SubmitEventIfUp({L"NFCFunction", L"DeviceArrived", L"Count"});
    EXPECT_EQ(S_FALSE, user.Status());
    EXPECT_EQ(0u, CountOf(L"SubmitEventAsync"));
    EXPECT_EQ(1u, CountOf(L"Initialize"));
}

// The agent submits from its window thread and from the radio's threads:
// when the first events arrive together the client is brought up once and
// none of them is lost.
TEST_F(UserTest, SimultaneousFirstEventsBringTheClientUpOnceAndAllArrive)
{
    Install(L"complete");
    UsageUser user;
    constexpr int kThreads = 8;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&user] { user.SubmitEventIfUp({L"NFCFunction", L"Receive", L"NDEF", L"Count"}); });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(S_OK, user.Status());
    EXPECT_EQ(1u, CountOf(L"Initialize"));
    EXPECT_EQ(static_cast<size_t>(kThreads), CountOf(L"SubmitEventAsync"));
    user.Release();
    EXPECT_EQ(1u, CountOf(L"Finalize"));
}

}  // namespace
