// The connection flow through its library, with the package query injected
// (Wine has none) and the Wi-Fi stand-in loaded beside the test.
#include <gtest/gtest.h>

#include <thread>

#include "connection_run.h"
#include "pairwell_world.h"
#include "support/process.h"
#include "wlan_connect.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::pairwell;
using namespace tapdeck::test;

namespace {

constexpr wchar_t kNotInstalledProp[] = L"Camera KOXNotInstalledDlg prop";

AppInfoEntry Companion(int retryTimes, int retryInterval)
{
    return AppInfoEntry{L"VexaCorporation.KoxPhotoCompanion_r7tq3m9xk2b4e", kCompanionAumid, retryTimes,
                        retryInterval};
}

bool NotInstalled(const wchar_t*) { return false; }
bool Installed(const wchar_t*) { return true; }

// The flow brings the usage client up when it starts and releases it at its
// end; these tests run its steps alone, so they do both themselves.
class FlowLibrary : public ::testing::Test {
protected:
    FlowLibrary() : run_(instance_, NotInstalled)
    {
        run_.profile = {Companion(2, 1)};
        usageUp_ = InitUsageStats() == S_OK;
    }
    ~FlowLibrary() override
    {
        if (usageUp_) ReleaseUsageStats();
    }

    // Runs a flow step on its own thread, answers the not-installed dialog it
    // shows, and gives the dialog that came (null when none did).
    template <typename Step, typename Answer>
    HWND AnswerNotInstalled(Step step, Answer answer)
    {
        std::thread flow(step);
        const HWND dialog = WaitForDialog(kNotInstalledProp);
        if (dialog) answer(dialog);
        flow.join();
        return dialog;
    }
    static void Close(HWND dialog) { ::PostMessageW(dialog, WM_CLOSE, 0, 0); }

    HINSTANCE instance_ = ::GetModuleHandleW(nullptr);
    PairwellWorld world_;
    ConnectionRun run_;
    bool usageUp_ = false;
};

TEST_F(FlowLibrary, MissingCompanionShowsItsDialogAndOpensTheStoreOnRequest)
{
    bool result = true;
    const HWND dialog = AnswerNotInstalled([&] { result = run_.CheckCompanionInstalled(); },
                                           [](HWND d) { PressDialogButton(d, 1); });
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(result);
    EXPECT_TRUE(world_.UsageEvent({L"General", L"Display", L"AppNotInstalled"}));
    EXPECT_TRUE(world_.UsageEvent({L"General", L"ButtonClick", L"Install", L"AppNotInstalled"}));
}

TEST_F(FlowLibrary, MissingCompanionDialogClosedOtherwiseOpensNothing)
{
    bool result = true;
    const HWND dialog = AnswerNotInstalled([&] { result = run_.CheckCompanionInstalled(); }, Close);
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(result);
    EXPECT_TRUE(world_.UsageEvent({L"General", L"Display", L"AppNotInstalled"}));
    EXPECT_FALSE(world_.UsageEvent({L"General", L"ButtonClick", L"Install", L"AppNotInstalled"}));
}

TEST_F(FlowLibrary, CompanionUninstalledBeforeLaunchShowsTheDialogInstead)
{
    const HWND dialog = AnswerNotInstalled([&] { run_.LaunchCompanion(); }, Close);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(world_.Activations().empty());
    EXPECT_FALSE(world_.UsageEvent({L"LaunchFunction", L"Used", L"Count"}));
}

TEST(FlowLibraryProfile, EmptyProfileCountsAsNotInstalledWithoutDialog)
{
    PairwellWorld world;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ConnectionRun run(instance, Installed);
    EXPECT_FALSE(run.CheckCompanionInstalled());
    EXPECT_FALSE(FindWindowWithProperty(kNotInstalledProp));
}

class ConnectLoop : public ::testing::Test {
protected:
    ConnectLoop() : run_(instance_, Installed)
    {
        world_.CameraInReach();
        run_.ssid = kCameraSsid;
        run_.passphrase = kCameraPassphrase;
    }
    HRESULT Connect(int retryTimes, int retryInterval)
    {
        run_.profile = {Companion(retryTimes, retryInterval)};
        if (!run_.wlan.OpenFirstInterface()) return -2;
        const HRESULT result = ConnectWithRetries(run_);
        run_.wlan.Close();
        return result;
    }

    HINSTANCE instance_ = ::GetModuleHandleW(nullptr);
    PairwellWorld world_;
    ConnectionRun run_;
};

TEST_F(ConnectLoop, CompletionNotificationEndsTheFirstWait)
{
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(kConnected, Connect(3, 30));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(world_.CountWlanEvents(L"connect "), 1);
    // The events are gone and the notification undone when the loop ends.
    EXPECT_FALSE(run_.ConnectEvent());
    EXPECT_FALSE(run_.CancelEvent());
    EXPECT_EQ(world_.CountWlanEvents(L"register"), world_.CountWlanEvents(L"unregister"));
}

TEST_F(ConnectLoop, ZeroIntervalChecksAtOnceAfterEachAttempt)
{
    world_.Wlan([](sim::WlanSimState& s) {
        s.notify = false;
        s.delayMs = 1000;
    });
    EXPECT_EQ(E_FAIL, Connect(3, 0));
    EXPECT_EQ(world_.CountWlanEvents(L"connect "), 3);
    // The late connections would otherwise land in the next test's world.
    EXPECT_TRUE(WaitUntil([&] { return world_.CountWlanEvents(L"connected ") == 3; }, 10s));
}

TEST_F(ConnectLoop, NegativeIntervalDoesNotWaitForWeeks)
{
    world_.Wlan([](sim::WlanSimState& s) { s.connectSucceeds = false; });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(E_FAIL, Connect(2, -1));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST_F(ConnectLoop, CancelFromAnotherThreadEndsTheWait)
{
    world_.Wlan([](sim::WlanSimState& s) { s.connectSucceeds = false; });
    std::thread canceller([&] {
        WaitUntil([&] { return world_.CountWlanEvents(L"connect ") == 1; }, 10s);
        run_.Cancel();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(kConnectCancelled, Connect(3, 30));
    canceller.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
}

TEST_F(ConnectLoop, HaltBeforeTheLoopEndsItBeforeAnyAttempt)
{
    run_.Cancel();
    EXPECT_EQ(kConnectCancelled, Connect(3, 30));
    EXPECT_EQ(world_.CountWlanEvents(L"connect "), 0);
}

TEST_F(ConnectLoop, RefusedProfileFailsWithoutAttempt)
{
    run_.passphrase = L"short";
    EXPECT_EQ(E_FAIL, Connect(3, 1));
    EXPECT_EQ(world_.CountWlanEvents(L"setprofile-refused"), 1);
    EXPECT_EQ(world_.CountWlanEvents(L"connect "), 0);
}

TEST_F(ConnectLoop, WrongPassphraseNeverConnects)
{
    run_.passphrase = L"not-the-one";
    EXPECT_EQ(E_FAIL, Connect(2, 1));
    EXPECT_EQ(world_.CountWlanEvents(L"connect-failed"), 2);
}

}  // namespace
