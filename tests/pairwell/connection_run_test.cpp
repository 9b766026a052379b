// The connection flow through its library, with the package query injected
// (Wine has none) and the Wi-Fi stand-in loaded beside the test.
#include <gtest/gtest.h>

#include <roapi.h>

#include <atomic>
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
constexpr wchar_t kConnectedProp[] = L"Camera WiFiConnectedDlg prop";
constexpr wchar_t kPowerOffProp[] = L"Camera WiFiPowerOffDlg prop";

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
        run_.SetCompanionProfile({Companion(2, 1)});
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

// Installed at the touch, gone by the click on the connecting toast: the
// click's dialog is the only one, and the toast is hidden while it is open.
TEST_F(FlowLibrary, CompanionGoneAtTheToastsClickIsToldOnce)
{
    std::atomic<int> asked{0};
    std::atomic<bool> ended{false};
    ConnectionRun run(instance_, [&](const wchar_t*) { return asked++ == 0; });
    world_.Profile(20, 1);
    std::thread flow([&] {
        const HRESULT init = ::RoInitialize(RO_INIT_MULTITHREADED);
        run.RunConnection(instance_, CameraPayload().c_str());
        if (SUCCEEDED(init)) ::RoUninitialize();
        ended = true;
    });
    const auto toast = [&](const wchar_t* what) { return [&, what] { return HasLine(world_.ToastRecords(), what); }; };
    const HWND first = WaitUntil(toast(L"shown\t"), 15s) && ClickOwnToast(false) ? WaitForDialog(kNotInstalledProp) : nullptr;
    world_.CameraInReach();
    EXPECT_TRUE(WaitUntil(toast(L"hidden\t"), 15s)) << "the hide waited for the dialog";
    if (first) Close(first);
    HWND second = nullptr;
    WaitUntil([&] { return ended || ((second = FindWindowWithProperty(kNotInstalledProp)) && second != first); }, 15s);
    if (second == first) second = nullptr;
    if (second) Close(second);
    flow.join();
    EXPECT_TRUE(first);
    EXPECT_FALSE(second) << "the dialog came twice";
    EXPECT_TRUE(world_.Activations().empty());
}

TEST(FlowLibraryProfile, EmptyProfileCountsAsNotInstalledWithoutDialog)
{
    PairwellWorld world;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ConnectionRun run(instance, Installed);
    EXPECT_FALSE(run.CheckCompanionInstalled());
    EXPECT_FALSE(FindWindowWithProperty(kNotInstalledProp));
}

// The joined toast stays on screen, but the run lets go of it at its end,
// while the apartment is still up: a click then reaches nothing of the run.
TEST_F(FlowLibrary, StandardTagRunLetsGoOfTheJoinedToastAtItsEnd)
{
    world_.Wlan([](sim::WlanSimState& s) { s.networks.push_back({L"Home", L"passphrase"}); });
    ConnectionRun run(instance_);
    const HRESULT init = ::RoInitialize(RO_INIT_MULTITHREADED);
    run.RunConnection(instance_, PhoneTag({Credential("Home", "passphrase")}).c_str());
    EXPECT_TRUE(ClickOwnToast(true));
    if (SUCCEEDED(init)) ::RoUninitialize();
    const std::vector<std::wstring> toasts = world_.ToastRecords();
    EXPECT_TRUE(HasLine(toasts, L"activated\t")) << ::testing::PrintToString(toasts);
    EXPECT_FALSE(HasLine(toasts, L"handled\t")) << ::testing::PrintToString(toasts);
}

class ConnectLoop : public ::testing::Test {
protected:
    ConnectLoop() : run_(instance_, Installed)
    {
        world_.CameraInReach();
        run_.SetCameraNetwork(kCameraSsid, kCameraPassphrase);
    }
    HRESULT Connect(int retryTimes, int retryInterval)
    {
        run_.SetCompanionProfile({Companion(retryTimes, retryInterval)});
        if (!run_.OpenInterface()) return -2;
        const HRESULT result = run_.ConnectWithRetries();
        run_.CloseInterface();
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

// The profile's attempts and their wait: how many connects, how long, and
// what the loop makes of a service that never notifies or never connects.
struct AttemptsCase {
    const char* name;
    bool notify;
    bool connectSucceeds;
    int delayMs;
    int retryTimes;
    int retryInterval;
    HRESULT result;
    int connects;
    int profilesSet;  // -1: not counted
    std::chrono::milliseconds atLeast;
    std::chrono::milliseconds below;  // a wait the loop must not make
};

class ConnectAttempts : public ConnectLoop, public ::testing::WithParamInterface<AttemptsCase> {};

TEST_P(ConnectAttempts, FollowTheProfile)
{
    const AttemptsCase& c = GetParam();
    world_.Wlan([&](sim::WlanSimState& s) {
        s.notify = c.notify;
        s.connectSucceeds = c.connectSucceeds;
        s.delayMs = c.delayMs;
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(c.result, Connect(c.retryTimes, c.retryInterval));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, c.atLeast);
    EXPECT_LT(waited, c.below);
    EXPECT_EQ(world_.CountWlanEvents(L"connect "), c.connects);
    if (c.profilesSet >= 0) {
        EXPECT_EQ(world_.CountWlanEvents(L"setprofile "), c.profilesSet);
    }
    // Late connections would otherwise land in the next test's world.
    if (c.connectSucceeds) {
        EXPECT_TRUE(WaitUntil([&] { return world_.CountWlanEvents(L"connected ") == c.connects; }, 10s));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, ConnectAttempts,
    ::testing::Values(
        // Checked at once after each attempt, before any connection lands.
        AttemptsCase{"ZeroIntervalChecksAtOnce", false, true, 1000, 3, 0, E_FAIL, 3, -1, 0ms, 60s},
        AttemptsCase{"NegativeIntervalDoesNotWaitForWeeks", true, false, 0, 2, -1, E_FAIL, 2, -1, 0ms, 5s},
        // Found connected when the first one-second wait ran out.
        AttemptsCase{"MissingNotificationSucceedsAtTheTimeout", false, true, 0, 3, 1, kConnected, 1, -1, 1s, 60s},
        // The profile is set all the same; no attempt is made.
        AttemptsCase{"RetryCountZeroMakesNoAttempt", true, true, 0, 0, 1, E_FAIL, 0, 1, 0ms, 60s}),
    [](const auto& info) { return std::string(info.param.name); });

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
    run_.SetCameraNetwork(kCameraSsid, L"short");
    EXPECT_EQ(E_FAIL, Connect(3, 1));
    EXPECT_EQ(world_.CountWlanEvents(L"setprofile-refused"), 1);
    EXPECT_EQ(world_.CountWlanEvents(L"connect "), 0);
}

struct ElsewhereCase {
    const char* name;
    const wchar_t* connected;
    int state;  // WLAN_INTERFACE_STATE
};

class ConnectedElsewhere : public ConnectLoop, public ::testing::WithParamInterface<ElsewhereCase> {};

// The camera refuses; what the adapter reports instead is not the camera's
// network, and the run must not report it as connected.
TEST_P(ConnectedElsewhere, IsNotAConnectionToTheCamera)
{
    world_.Wlan([](sim::WlanSimState& s) {
        s.connectSucceeds = false;
        s.connected = GetParam().connected;
        s.connectionState = GetParam().state;
    });
    // Counted from here: a Pairwell of an earlier process test may still be
    // ending and write its last events after the world was reset.
    const int before = world_.CountWlanEvents(L"connect ");
    EXPECT_EQ(E_FAIL, Connect(2, 0));
    EXPECT_EQ(world_.CountWlanEvents(L"connect ") - before, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Adapter, ConnectedElsewhere,
    ::testing::Values(ElsewhereCase{"AnotherNetwork", L"HomeNet", wlan_interface_state_connected},
                      ElsewhereCase{"CameraStillAuthenticating", kCameraSsid, wlan_interface_state_authenticating}),
    [](const auto& info) { return std::string(info.param.name); });

struct StrayCase {
    const char* name;
    const wchar_t* profile;
    int interfaceIndex;
};

class StrayCompletion : public ConnectLoop, public ::testing::WithParamInterface<StrayCase> {};

// Another client's completion comes first, while the camera's connection
// still takes a moment: the wait goes on to the camera's own completion.
TEST_P(StrayCompletion, DoesNotEndTheWait)
{
    world_.Wlan([](sim::WlanSimState& s) {
        s.interfaces = 2;
        s.delayMs = 300;
        s.strayProfile = GetParam().profile;
        s.strayInterface = GetParam().interfaceIndex;
    });
    EXPECT_EQ(kConnected, Connect(3, 30));
    EXPECT_EQ(world_.CountWlanEvents(L"connect "), 1);
}

INSTANTIATE_TEST_SUITE_P(Completions, StrayCompletion,
                         ::testing::Values(StrayCase{"AnotherProfile", L"HomeNet", 1},
                                           StrayCase{"AnotherInterface", kCameraSsid, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

struct NotificationCase {
    const char* name;
    DWORD source;
    DWORD code;
    WLAN_REASON_CODE reason;
    const wchar_t* profile;
    bool ourInterface;
    DWORD dataSize;  // 0: the full connection data; ~0: no data at all
    bool counts;
};

class Notification : public ::testing::TestWithParam<NotificationCase> {};

TEST_P(Notification, EndsTheWaitOnlyForTheCamerasCompletion)
{
    PairwellWorld world;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ConnectionRun run(instance, Installed);
    run.SetCameraNetwork(kCameraSsid, kCameraPassphrase);
    ASSERT_TRUE(run.OpenInterface());
    ASSERT_TRUE(run.CreateConnectEvents());

    const NotificationCase& c = GetParam();
    WLAN_CONNECTION_NOTIFICATION_DATA connection{};
    ::wcsncpy_s(connection.strProfileName, WLAN_MAX_NAME_LENGTH, c.profile, _TRUNCATE);
    connection.wlanReasonCode = c.reason;
    WLAN_NOTIFICATION_DATA data{};
    data.NotificationSource = c.source;
    data.NotificationCode = c.code;
    data.InterfaceGuid = run.InterfaceGuid();
    if (!c.ourInterface) data.InterfaceGuid.Data4[7] ^= 0xFF;
    data.dwDataSize = c.dataSize == 0 ? sizeof(connection) : c.dataSize;
    data.pData = c.dataSize == ~0u ? nullptr : &connection;
    OnWlanNotification(&data, &run);
    EXPECT_EQ(::WaitForSingleObject(run.ConnectEvent(), 0) == WAIT_OBJECT_0, c.counts);
    run.CloseConnectEvents();
}

INSTANTIATE_TEST_SUITE_P(
    Data, Notification,
    ::testing::Values(
        NotificationCase{"CameraCompleted", WLAN_NOTIFICATION_SOURCE_ACM, wlan_notification_acm_connection_complete, 0,
                         kCameraSsid, true, 0, true},
        // Profile names are case-sensitive: another case is another profile.
        NotificationCase{"ProfileInOtherCase", WLAN_NOTIFICATION_SOURCE_ACM, wlan_notification_acm_connection_complete,
                         0, L"kox-cam-7f3a", true, 0, false},
        NotificationCase{"AnotherSource", WLAN_NOTIFICATION_SOURCE_MSM, wlan_notification_acm_connection_complete, 0,
                         kCameraSsid, true, 0, false},
        NotificationCase{"AnotherCode", WLAN_NOTIFICATION_SOURCE_ACM, wlan_notification_acm_connection_attempt_fail, 0,
                         kCameraSsid, true, 0, false},
        NotificationCase{"FailureReason", WLAN_NOTIFICATION_SOURCE_ACM, wlan_notification_acm_connection_complete,
                         0x00028001, kCameraSsid, true, 0, false},
        NotificationCase{"NoData", WLAN_NOTIFICATION_SOURCE_ACM, wlan_notification_acm_connection_complete, 0,
                         kCameraSsid, true, ~0u, false},
        NotificationCase{"ShortData", WLAN_NOTIFICATION_SOURCE_ACM, wlan_notification_acm_connection_complete, 0,
                         kCameraSsid, true, sizeof(WLAN_CONNECTION_NOTIFICATION_DATA) - 1, false},
        NotificationCase{"AnotherProfile", WLAN_NOTIFICATION_SOURCE_ACM, wlan_notification_acm_connection_complete, 0,
                         L"HomeNet", true, 0, false},
        NotificationCase{"AnotherInterface", WLAN_NOTIFICATION_SOURCE_ACM,
                         wlan_notification_acm_connection_complete, 0, kCameraSsid, false, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NotificationWithout, DataOrRunIsIgnored)
{
    PairwellWorld world;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ConnectionRun run(instance, Installed);
    ASSERT_TRUE(run.CreateConnectEvents());
    WLAN_NOTIFICATION_DATA data{};
    OnWlanNotification(nullptr, &run);
    OnWlanNotification(&data, nullptr);
    EXPECT_EQ(::WaitForSingleObject(run.ConnectEvent(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    run.CloseConnectEvents();
}

struct SetProfileCase {
    const char* name;
    DWORD flags;
    const wchar_t* security;
    DWORD expected;
};

// WLAN_PROFILE_GROUP_POLICY, which mingw-w64 does not declare.
constexpr DWORD kGroupPolicyProfile = 0x00000001;

class ServiceSetProfile : public ::testing::TestWithParam<SetProfileCase> {};

// The stand-in refuses what the service refuses, so a wrong call shows.
TEST_P(ServiceSetProfile, ChecksFlagsAndSecurity)
{
    PairwellWorld world;
    WlanLink link;
    ASSERT_TRUE(link.OpenFirstInterface());
    HANDLE client = nullptr;
    DWORD negotiated = 0;
    ASSERT_EQ(::WlanOpenHandle(2, nullptr, &negotiated, &client), static_cast<DWORD>(ERROR_SUCCESS));
    DWORD reason = 0;
    EXPECT_EQ(::WlanSetProfile(client, &link.InterfaceGuid(), GetParam().flags,
                               ProfileLine(kCameraSsid, kCameraPassphrase).c_str(), GetParam().security, TRUE,
                               nullptr, &reason),
              GetParam().expected);
    ::WlanCloseHandle(client, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ServiceSetProfile,
    ::testing::Values(SetProfileCase{"AllUsersDefaultSecurity", 0, nullptr, ERROR_SUCCESS},
                      SetProfileCase{"AllUsersWithSecurity", 0, L"D:(A;;GA;;;WD)", ERROR_SUCCESS},
                      SetProfileCase{"PerUser", WLAN_PROFILE_USER, nullptr, ERROR_SUCCESS},
                      SetProfileCase{"PerUserWithSecurity", WLAN_PROFILE_USER, L"D:(A;;GA;;;WD)",
                                     ERROR_INVALID_PARAMETER},
                      SetProfileCase{"GroupPolicy", kGroupPolicyProfile, nullptr, ERROR_INVALID_PARAMETER},
                      SetProfileCase{"UnreadableSecurity", 0, L"not a descriptor", ERROR_INVALID_PARAMETER}),
    [](const auto& info) { return std::string(info.param.name); });

enum class WhileAsking { RadioTurnedOff, CompanionRemoved };

class ConfirmDisconnectRecheck : public ::testing::TestWithParam<WhileAsking> {};

// The already-connected dialog may stand open for a while: after the user
// agreed, a radio turned off or a companion removed meanwhile ends the flow
// with its own dialog, and the other network stays.
TEST_P(ConfirmDisconnectRecheck, EndsWithTheDialogOfWhatChanged)
{
    PairwellWorld world;
    world.Wlan([](sim::WlanSimState& s) { s.connected = L"HomeNet"; });
    std::atomic<bool> installed{true};
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ConnectionRun run(instance, [&](const wchar_t*) { return installed.load(); });
    run.SetCompanionProfile({Companion(1, 1)});
    ASSERT_TRUE(run.OpenInterface());

    bool confirmed = true;
    std::thread flow([&] { confirmed = run.ConfirmDisconnect(); });
    const HWND asking = WaitForDialog(kConnectedProp);
    if (GetParam() == WhileAsking::RadioTurnedOff) world.Wlan([](sim::WlanSimState& s) { s.phys = {false}; });
    else installed = false;
    if (asking) PressDialogButton(asking, 6);
    const HWND answer =
        WaitForDialog(GetParam() == WhileAsking::RadioTurnedOff ? kPowerOffProp : kNotInstalledProp);
    if (answer) ::PostMessageW(answer, WM_CLOSE, 0, 0);
    flow.join();
    run.CloseInterface();
    ASSERT_TRUE(asking);
    EXPECT_TRUE(answer);
    EXPECT_FALSE(confirmed);
    EXPECT_EQ(world.CountWlanEvents(L"disconnect"), 0);
    EXPECT_EQ(world.Connected(), L"HomeNet");
}

INSTANTIATE_TEST_SUITE_P(Changes, ConfirmDisconnectRecheck,
                         ::testing::Values(WhileAsking::RadioTurnedOff, WhileAsking::CompanionRemoved));

TEST_F(ConnectLoop, WrongPassphraseNeverConnects)
{
    run_.SetCameraNetwork(kCameraSsid, L"not-the-one");
    EXPECT_EQ(E_FAIL, Connect(2, 1));
    EXPECT_EQ(world_.CountWlanEvents(L"connect-failed"), 2);
}

}  // namespace
