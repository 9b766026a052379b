// The installed Pairwell.exe started as the agent starts it, over the Wi-Fi,
// toast, activation and usage-statistics stand-ins.
#include <gtest/gtest.h>

#include "dialogs.h"
#include "hex.h"
#include "pairwell_app.h"
#include "pairwell_world.h"
#include "sim_state.h"
#include "support/armed_fault.h"
#include "support/process.h"
#include "wsc_message.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::test;

namespace {

constexpr wchar_t kConnectedProp[] = L"Camera WiFiConnectedDlg prop";
constexpr wchar_t kFailedProp[] = L"Camera WiFiConnectFailDlg prop";
constexpr wchar_t kPowerOffProp[] = L"Camera WiFiPowerOffDlg prop";

// Whatever a test leaves open is closed before the next one starts.
class PairwellProcess : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (process_ && WaitForExit(process_.get(), 0ms) == -1) {
            RunProgram(PairwellPath(), L"/HaltAll");
            if (WaitForExit(process_.get(), 10s) == -1) ::TerminateProcess(process_.get(), 1);
        }
    }
    void Start(const std::wstring& arguments) { process_ = StartPairwell(arguments); }
    long Exit(std::chrono::milliseconds timeout = 20s) { return WaitForExit(process_.get(), timeout); }
    // A camera touch while the PC is connected to "HomeNet".
    void StartWhileConnectedElsewhere()
    {
        world_.CameraInReach();
        world_.Wlan([](sim::WlanSimState& s) { s.connected = L"HomeNet"; });
        Start(CameraPayload());
    }

    PairwellWorld world_;
    unique_handle process_;
};

TEST_F(PairwellProcess, CameraOnIdleAdapterConnectsAndActivatesTheCompanion)
{
    world_.CameraInReach();
    Start(CameraPayload());
    ASSERT_EQ(0, Exit());

    EXPECT_EQ(world_.Connected(), kCameraSsid);
    const std::vector<std::wstring> profiles = sim::ReadWlanProfiles();
    ASSERT_EQ(profiles.size(), 1u);
    EXPECT_EQ(profiles[0], L"accepted " + ProfileLine(kCameraSsid, kCameraPassphrase));
    EXPECT_EQ(world_.CountWlanEvents(L"connect "), 1);
    // Every handle opened was closed again.
    EXPECT_EQ(world_.CountWlanEvents(L"open"), world_.CountWlanEvents(L"close"));

    EXPECT_TRUE(world_.UsageEvent({L"WiFiFunction", L"ConnectSuccess", L"Count"}));
    EXPECT_TRUE(world_.UsageEvent({L"LaunchFunction", L"Used", L"Count"}));
    EXPECT_FALSE(world_.UsageEvent({L"WiFiFunction", L"ConnectFailed", L"Count"}));

    const std::vector<std::wstring> toasts = world_.ToastRecords();
    EXPECT_TRUE(HasLine(toasts, L"shown\tVexa.Quor.Tapdeck\t")) << ::testing::PrintToString(toasts);
    EXPECT_TRUE(HasLine(toasts, L"hidden\tVexa.Quor.Tapdeck"));
    EXPECT_TRUE(HasLine(world_.Activations(), std::wstring(L"activate\t") + kCompanionAumid + L"\t"));
}

// A camera network whose name is not printable ASCII: named by its bytes too,
// or the service would look for the name turned into ASCII.
TEST_F(PairwellProcess, CameraNameBeyondAsciiIsWrittenWithItsBytes)
{
    world_.Wlan([](sim::WlanSimState& s) { s.networks.push_back({L"KOX-Caf\u00E9", kCameraPassphrase}); });
    Start(CameraPayload(L"KOX-Caf\u00E9"));
    ASSERT_EQ(0, Exit());
    EXPECT_EQ(world_.Connected(), L"KOX-Caf\u00E9");
    const std::vector<std::wstring> profiles = sim::ReadWlanProfiles();
    ASSERT_EQ(profiles.size(), 1u);
    EXPECT_NE(profiles[0].find(L"<SSID><hex>4B4F582D436166C3A9</hex><name>KOX-Caf\u00E9</name></SSID>"),
              std::wstring::npos)
        << sim::ToUtf8(profiles[0]);
}

// Windows 11 24H2 on, without the user's consent to precise location: the
// current connection is withheld, connects and their completions are not.
// The run learns its success all the same; the user meets the one-time
// consent prompt at the first withheld query.
struct GateCase {
    const char* name;
    bool standardTag;
    bool notify;  // false: success is found when the wait runs out
    // The user grants location after the first touch, and touches again.
    bool grantedThenAgain = false;
};

class LocationDenied : public PairwellProcess, public ::testing::WithParamInterface<GateCase> {};

TEST_P(LocationDenied, ConnectsInOneAttemptAndSaysSo)
{
    world_.Profile(3, 2);
    world_.CameraInReach();
    world_.Wlan([&](sim::WlanSimState& s) {
        s.locationDenied = true;
        s.notify = GetParam().notify;
    });
    sim::WscCredentialFields credential;
    credential.ssid = sim::ToUtf8(kCameraSsid);
    credential.key = sim::ToUtf8(kCameraPassphrase);
    const std::string tag = sim::NdefMessageBytes({sim::WscRecord(sim::WscConfigurationPayload({credential}))});
    Start(GetParam().standardTag ? tapdeck::ToHex(tag) : CameraPayload());
    ASSERT_EQ(0, Exit());
    if (GetParam().grantedThenAgain) {
        world_.SetNotShowAgain(1);
        world_.Wlan([](sim::WlanSimState& s) { s.locationDenied = false; });
        Start(CameraPayload());
        ASSERT_EQ(0, Exit());
        // Now the current connection is known again: dropped, then joined afresh.
        EXPECT_TRUE(world_.HasWlanEvent(std::wstring(L"disconnect ") + kCameraSsid));
    }
    EXPECT_FALSE(FindWindowWithProperty(kFailedProp));
    EXPECT_EQ(world_.Connected(), kCameraSsid);
    EXPECT_EQ(world_.CountWlanEvents(L"connect "), GetParam().grantedThenAgain ? 2 : 1);
    EXPECT_EQ(world_.CountWlanEvents(L"location-prompt"), 1);
    EXPECT_TRUE(world_.UsageEvent({L"WiFiFunction", L"ConnectSuccess", L"Count"}));
    EXPECT_FALSE(world_.UsageEvent({L"WiFiFunction", L"ConnectFailed", L"Count"}));
    EXPECT_EQ(!GetParam().standardTag, HasLine(world_.Activations(), std::wstring(L"activate\t") + kCompanionAumid));
}

INSTANTIATE_TEST_SUITE_P(Runs, LocationDenied,
                         ::testing::Values(GateCase{"Camera", false, true}, GateCase{"CameraWithoutCompletion", false, false},
                                           GateCase{"StandardTag", true, true},
                                           GateCase{"CameraGrantedBetweenTouches", false, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Connected to a network that Windows will not name: the user is asked all
// the same, with the connection profiles (Windows 8.1 on) or without them.
class ConnectedWhileLocationDenied : public PairwellProcess, public ::testing::WithParamInterface<bool> {};

TEST_P(ConnectedWhileLocationDenied, AsksBeforeDroppingIt)
{
    world_.Wlan([&](sim::WlanSimState& s) {
        s.locationDenied = true;
        s.connectivityDetails = GetParam();
    });
    StartWhileConnectedElsewhere();
    const HWND dialog = WaitForDialog(kConnectedProp);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(world_.CountWlanEvents(L"disconnect"), 0);
    PressDialogButton(dialog, 6);
    ASSERT_EQ(0, Exit());
    EXPECT_TRUE(world_.HasWlanEvent(L"disconnect HomeNet"));
    EXPECT_EQ(world_.Connected(), kCameraSsid);
}

INSTANTIATE_TEST_SUITE_P(Sources, ConnectedWhileLocationDenied, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "ProfileDetails" : "InterfaceState"); });

TEST_F(PairwellProcess, ConfirmedDisconnectWithCheckBoxRemembersAndThenConnects)
{
    StartWhileConnectedElsewhere();
    const HWND dialog = WaitForDialog(kConnectedProp);
    ASSERT_TRUE(dialog);
    PressDialogButton(dialog, 5);
    PressDialogButton(dialog, 6);
    ASSERT_EQ(0, Exit());
    EXPECT_EQ(world_.NotShowAgain(), 1);
    EXPECT_TRUE(world_.HasWlanEvent(L"disconnect HomeNet"));
    EXPECT_EQ(world_.Connected(), kCameraSsid);

    // The next touch drops the other network without asking.
    sim::ResetWlanSim();
    StartWhileConnectedElsewhere();
    ASSERT_EQ(0, Exit());
    EXPECT_TRUE(world_.HasWlanEvent(L"disconnect HomeNet"));
    EXPECT_EQ(world_.Connected(), kCameraSsid);
}

TEST_F(PairwellProcess, ConfirmedDisconnectWithoutCheckBoxStoresZero)
{
    StartWhileConnectedElsewhere();
    const HWND dialog = WaitForDialog(kConnectedProp);
    ASSERT_TRUE(dialog);
    PressDialogButton(dialog, 6);
    ASSERT_EQ(0, Exit());
    EXPECT_EQ(world_.NotShowAgain(), 0);
    EXPECT_EQ(world_.Connected(), kCameraSsid);
}

// The camera refuses, and the network that ConfirmDisconnect dropped joins
// again by itself, with its own completion: the PC is not on the camera's
// network, and that is a failure, not a success.
TEST_F(PairwellProcess, PreferredNetworkRejoiningIsNotTheCameraConnecting)
{
    world_.Profile(2, 1);
    world_.SetNotShowAgain(1);
    world_.Wlan([](sim::WlanSimState& s) {
        s.connected = L"HomeNet";
        s.preferred = L"HomeNet";
        s.delayMs = 200;
    });
    Start(CameraPayload());
    const HWND dialog = WaitForDialog(kFailedProp, 20s);
    ASSERT_TRUE(dialog);
    PressDialogButton(dialog, 1);
    ASSERT_EQ(0, Exit());
    EXPECT_TRUE(world_.HasWlanEvent(L"auto-connected HomeNet"));
    EXPECT_EQ(world_.Connected(), L"HomeNet");
    EXPECT_TRUE(world_.UsageEvent({L"WiFiFunction", L"ConnectFailed", L"Count"}));
    EXPECT_FALSE(world_.UsageEvent({L"WiFiFunction", L"ConnectSuccess", L"Count"}));
    EXPECT_TRUE(world_.Activations().empty());
}

TEST_F(PairwellProcess, FailingDisconnectEndsTheFlowQuietly)
{
    world_.SetNotShowAgain(1);
    world_.Wlan([](sim::WlanSimState& s) { s.disconnectSucceeds = false; });
    StartWhileConnectedElsewhere();
    ASSERT_EQ(0, Exit());
    EXPECT_TRUE(world_.HasWlanEvent(L"disconnect-failed HomeNet"));
    EXPECT_EQ(world_.Connected(), L"HomeNet");
    EXPECT_EQ(world_.CountWlanEvents(L"setprofile"), 0);
    EXPECT_TRUE(world_.ToastRecords().empty());
    EXPECT_FALSE(world_.UsageEvent({L"WiFiFunction", L"ConnectFailed", L"Count"}));
    EXPECT_EQ(world_.CountWlanEvents(L"open"), world_.CountWlanEvents(L"close"));
}

// Handled like any other connection: dropped, then a fresh profile and connect.
TEST_F(PairwellProcess, AlreadyOnTheCamerasNetworkConnectsAfresh)
{
    world_.SetNotShowAgain(1);
    world_.CameraInReach();
    world_.Wlan([](sim::WlanSimState& s) { s.connected = kCameraSsid; });
    Start(CameraPayload());
    ASSERT_EQ(0, Exit());
    EXPECT_TRUE(world_.HasWlanEvent(std::wstring(L"disconnect ") + kCameraSsid));
    EXPECT_EQ(world_.CountWlanEvents(L"setprofile "), 1);
    EXPECT_EQ(world_.CountWlanEvents(L"connect "), 1);
    EXPECT_EQ(world_.Connected(), kCameraSsid);
    EXPECT_TRUE(world_.UsageEvent({L"WiFiFunction", L"ConnectSuccess", L"Count"}));
}

enum class Decline { KeepButton, AltF4 };

class DeclinedDisconnect : public PairwellProcess, public ::testing::WithParamInterface<Decline> {};

TEST_P(DeclinedDisconnect, ConnectsNothingAndWritesNothing)
{
    StartWhileConnectedElsewhere();
    const HWND dialog = WaitForDialog(kConnectedProp);
    ASSERT_TRUE(dialog);
    PressDialogButton(dialog, 5);  // checked, but declined: not stored
    if (GetParam() == Decline::KeepButton) {
        PressDialogButton(dialog, 7);
    } else {
        ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    ASSERT_EQ(0, Exit());
    EXPECT_EQ(world_.Connected(), L"HomeNet");
    EXPECT_EQ(world_.CountWlanEvents(L"setprofile"), 0);
    EXPECT_EQ(world_.CountWlanEvents(L"connect"), 0);
    EXPECT_EQ(world_.CountWlanEvents(L"disconnect"), 0);
    EXPECT_EQ(world_.NotShowAgain(), -1);
    EXPECT_TRUE(world_.ToastRecords().empty());
    EXPECT_EQ(world_.CountWlanEvents(L"open"), world_.CountWlanEvents(L"close"));
}

INSTANTIATE_TEST_SUITE_P(Ways, DeclinedDisconnect, ::testing::Values(Decline::KeepButton, Decline::AltF4));

struct RadioCase {
    const char* name;
    int interfaces;
    std::vector<bool> phys;
};

class RadioOff : public PairwellProcess, public ::testing::WithParamInterface<RadioCase> {};

TEST_P(RadioOff, ShowsTheWifiOffDialogAndNothingElse)
{
    world_.CameraInReach();
    world_.Wlan([&](sim::WlanSimState& s) {
        s.interfaces = GetParam().interfaces;
        s.phys = GetParam().phys;
    });
    Start(CameraPayload());
    const HWND dialog = WaitForDialog(kPowerOffProp);
    ASSERT_TRUE(dialog);
    PressDialogButton(dialog, 1);
    ASSERT_EQ(0, Exit());
    EXPECT_EQ(world_.CountWlanEvents(L"setprofile"), 0);
    EXPECT_EQ(world_.CountWlanEvents(L"connect"), 0);
    EXPECT_TRUE(world_.ToastRecords().empty());
    EXPECT_TRUE(world_.Activations().empty());
    EXPECT_EQ(world_.CountWlanEvents(L"open"), world_.CountWlanEvents(L"close"));
}

INSTANTIATE_TEST_SUITE_P(States, RadioOff,
                         ::testing::Values(RadioCase{"Off", 1, {false}},
                                           // The last PHY listed decides.
                                           RadioCase{"OnThenOff", 1, {true, false}},
                                           RadioCase{"NoPhy", 1, {}},
                                           RadioCase{"NoInterface", 0, {true}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PairwellProcess, LastPhyOnCountsAsOn)
{
    world_.CameraInReach();
    world_.Wlan([](sim::WlanSimState& s) { s.phys = {false, true}; });
    Start(CameraPayload());
    ASSERT_EQ(0, Exit());
    EXPECT_EQ(world_.Connected(), kCameraSsid);
}

TEST_F(PairwellProcess, NeverCompletingConnectionFailsAfterItsAttempts)
{
    world_.Profile(2, 1);
    world_.Wlan([](sim::WlanSimState& s) { s.connectSucceeds = false; });
    const auto start = std::chrono::steady_clock::now();
    Start(CameraPayload());
    const HWND dialog = WaitForDialog(kFailedProp, 20s);
    ASSERT_TRUE(dialog);
    const auto waited = std::chrono::steady_clock::now() - start;
    // Two attempts of one second each; well below the next attempt's end.
    EXPECT_GE(waited, 2s);
    EXPECT_LT(waited, 10s);
    EXPECT_EQ(world_.CountWlanEvents(L"connect "), 2);
    EXPECT_TRUE(world_.UsageEvent({L"WiFiFunction", L"ConnectFailed", L"Count"}));
    PressDialogButton(dialog, 1);
    ASSERT_EQ(0, Exit());
    EXPECT_TRUE(HasLine(world_.ToastRecords(), L"hidden\t"));
    EXPECT_TRUE(world_.Activations().empty());
    EXPECT_EQ(world_.CountWlanEvents(L"open"), world_.CountWlanEvents(L"close"));
}

class HaltWhileConnecting : public PairwellProcess, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(HaltWhileConnecting, HidesTheToastWithoutDialogOrFailure)
{
    world_.Profile(3, 30);
    world_.Wlan([](sim::WlanSimState& s) { s.connectSucceeds = false; });
    Start(CameraPayload());
    ASSERT_TRUE(WaitUntil([&] { return world_.CountWlanEvents(L"connect ") == 1; }, 15s));
    EXPECT_EQ(0, RunProgram(PairwellPath(), GetParam()));
    ASSERT_EQ(0, Exit(10s));
    EXPECT_TRUE(HasLine(world_.ToastRecords(), L"hidden\t"));
    EXPECT_FALSE(FindWindowWithProperty(kFailedProp));
    EXPECT_FALSE(world_.UsageEvent({L"WiFiFunction", L"ConnectFailed", L"Count"}));
    EXPECT_EQ(world_.CountWlanEvents(L"open"), world_.CountWlanEvents(L"close"));
}

INSTANTIATE_TEST_SUITE_P(Spellings, HaltWhileConnecting, ::testing::Values(L"/HaltAll", L"/HALTALL", L"/haltall"));

TEST_F(PairwellProcess, HaltWithATrailingBlankIsAPayloadAndHaltsNothing)
{
    world_.Profile(1, 3);
    world_.Wlan([](sim::WlanSimState& s) { s.connectSucceeds = false; });
    Start(CameraPayload());
    ASSERT_TRUE(WaitUntil([&] { return world_.CountWlanEvents(L"connect ") == 1; }, 15s));
    EXPECT_EQ(0, RunProgram(PairwellPath(), L"/HaltAll "));
    // The run goes on to its failure dialog.
    const HWND dialog = WaitForDialog(kFailedProp, 15s);
    ASSERT_TRUE(dialog);
    PressDialogButton(dialog, 1);
    EXPECT_EQ(0, Exit());
}

// Closed as if the user had declined: the other network stays, nothing is
// stored, even with the check box ticked.
TEST_F(PairwellProcess, HaltWhileADialogIsOpenClosesItWithResultZero)
{
    StartWhileConnectedElsewhere();
    const HWND dialog = WaitForDialog(kConnectedProp);
    ASSERT_TRUE(dialog);
    PressDialogButton(dialog, 5);
    EXPECT_EQ(0, RunProgram(PairwellPath(), L"/HaltAll"));
    EXPECT_EQ(0, Exit(10s));
    EXPECT_FALSE(FindWindowWithProperty(kConnectedProp));
    EXPECT_EQ(world_.Connected(), L"HomeNet");
    EXPECT_EQ(world_.CountWlanEvents(L"setprofile"), 0);
    EXPECT_EQ(world_.NotShowAgain(), -1);
}

TEST_F(PairwellProcess, SecondPayloadWhileADialogIsOpenEndsAtOnce)
{
    world_.Wlan([](sim::WlanSimState& s) { s.phys = {false}; });
    Start(CameraPayload());
    const HWND dialog = WaitForDialog(kPowerOffProp);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(0, RunProgram(PairwellPath(), CameraPayload(), 10s));
    // The first run is untouched: its dialog is still the one open.
    EXPECT_EQ(FindWindowWithProperty(kPowerOffProp), dialog);
    PressDialogButton(dialog, 1);
    EXPECT_EQ(0, Exit());
}

TEST(PairwellSingleInstance, SecondPayloadFlashesTheOpenDialog)
{
    PairwellWorld world;
    // The test plays the first run: it holds the mutex and shows a dialog.
    unique_mutex instance(::CreateMutexW(nullptr, TRUE, pairwell::kInstanceMutexName));
    ASSERT_TRUE(instance);
    RecordingWindow dialog(L"Camera WiFiConnectedDlg prop");
    EXPECT_EQ(0, RunProgram(PairwellPath(), CameraPayload(), 10s));
    dialog.Flush();
    EXPECT_EQ(1, dialog.Count(pairwell::WM_FLASH_DIALOG));
    // The dropped payload touched nothing.
    EXPECT_TRUE(world.WlanEvents().empty());
    ::ReleaseMutex(instance.get());
}

struct DisconnectCase {
    const char* name;
    const wchar_t* commandLine;
    bool dropped;
    bool locationDenied = false;
    // The connection profiles carry their WLAN details (Windows 8.1 on).
    bool profileDetails = true;
};

class DisconnectCommand : public ::testing::TestWithParam<DisconnectCase> {};

TEST_P(DisconnectCommand, DropsOnlyTheNamedConnection)
{
    PairwellWorld world;
    world.Wlan([&](sim::WlanSimState& s) {
        s.connected = kCameraSsid;
        s.locationDenied = GetParam().locationDenied;
        s.connectivityDetails = GetParam().profileDetails;
    });
    // Not held back by a payload run in progress.
    unique_mutex instance(::CreateMutexW(nullptr, TRUE, pairwell::kInstanceMutexName));
    EXPECT_EQ(0, RunProgram(PairwellPath(), GetParam().commandLine));
    EXPECT_EQ(world.Connected(), GetParam().dropped ? L"" : kCameraSsid);
    EXPECT_EQ(world.CountWlanEvents(L"open"), world.CountWlanEvents(L"close"));
    ::ReleaseMutex(instance.get());
}

INSTANTIATE_TEST_SUITE_P(
    Names, DisconnectCommand,
    ::testing::Values(DisconnectCase{"SameName", L"/Disconnect /KOX-CAM-7F3A", true},
                      DisconnectCase{"OtherCase", L"/Disconnect /kox-cam-7f3a", true},
                      DisconnectCase{"OtherName", L"/Disconnect /HomeNet", false},
                      DisconnectCase{"NoName", L"/Disconnect", false},
                      DisconnectCase{"LowerCaseSwitchIsAPayload", L"/disconnect /KOX-CAM-7F3A", false},
                      // The current network read from the connection profiles.
                      DisconnectCase{"LocationDeniedSameName", L"/Disconnect /KOX-CAM-7F3A", true, true},
                      DisconnectCase{"LocationDeniedOtherCase", L"/Disconnect /kox-cam-7f3a", true, true},
                      DisconnectCase{"LocationDeniedOtherName", L"/Disconnect /HomeNet", false, true},
                      // Connected, but to which network nothing tells.
                      DisconnectCase{"LocationDeniedUnnamed", L"/Disconnect /KOX-CAM-7F3A", false, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DisconnectCommandRadio, RadioOffDropsNothing)
{
    PairwellWorld world;
    world.Wlan([](sim::WlanSimState& s) {
        s.connected = kCameraSsid;
        s.phys = {false};
    });
    EXPECT_EQ(0, RunProgram(PairwellPath(), L"/Disconnect /KOX-CAM-7F3A"));
    EXPECT_EQ(world.Connected(), kCameraSsid);
}

TEST_F(PairwellProcess, MissingProfileFileEndsWithoutDialogOrWifi)
{
    world_.CameraInReach();
    world_.RemoveProfile();
    Start(CameraPayload());
    EXPECT_EQ(0, Exit());
    EXPECT_EQ(world_.CountWlanEvents(L"open"), 0);
    EXPECT_TRUE(world_.ToastRecords().empty());
}

struct QuietCase {
    const char* name;
    std::wstring payload;
    std::string profile;  // empty: the installed one
};

class QuietEnd : public PairwellProcess, public ::testing::WithParamInterface<QuietCase> {};

// Nothing to go on: the run ends without a word and without touching Wi-Fi.
TEST_P(QuietEnd, EndsWithoutDialogOrWifi)
{
    world_.CameraInReach();
    if (!GetParam().profile.empty()) world_.ProfileText(GetParam().profile);
    Start(GetParam().payload);
    EXPECT_EQ(0, Exit());
    EXPECT_EQ(world_.CountWlanEvents(L"setprofile"), 0);
    EXPECT_EQ(world_.CountWlanEvents(L"connect"), 0);
    EXPECT_TRUE(world_.ToastRecords().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, QuietEnd,
    ::testing::Values(QuietCase{"EmptyCommandLine", L"", ""}, QuietCase{"NotHex", L"hello camera", ""},
                      QuietCase{"TruncatedPayload", CameraPayload().substr(0, 70), ""},
                      QuietCase{"EmptyProfile", CameraPayload(), " "},
                      QuietCase{"ProfileWithoutAppInfo", CameraPayload(), "<Configuration></Configuration>"},
                      QuietCase{"ProfileWithDtd", CameraPayload(),
                                "<!DOCTYPE x [<!ENTITY e \"y\">]><Configuration><AppInfo PackageFamilyName=\"&e;\" "
                                "AppUserModelID=\"a\" WiFiConnectRetryTimes=\"1\" WiFiConnectRetryInterval=\"1\"/>"
                                "</Configuration>"},
                      QuietCase{"TruncatedProfile", CameraPayload(), "<Configuration><AppInfo PackageFamilyName=\"p"}),
    [](const auto& info) { return std::string(info.param.name); });

// Each Native Wifi call failing, and what the run must do about it: the
// Wi-Fi-off dialog when the radio cannot be checked, a quiet end when the
// run's own handle cannot be had or an existing connection not dropped, the
// connection-failed dialog when the profile or the notification cannot be
// set up or no attempt connects; a failed connection query counts as none.
enum class WlanOutcome { PowerOffDialog, Quiet, FailedDialog, Connects };

struct WlanFailureCase {
    const char* name;
    const wchar_t* call;
    long code;
    long count;  // -1: every call
    long skip;   // calls that pass first
    bool connectedElsewhere;
    WlanOutcome outcome;
};

class WlanFailure : public PairwellProcess, public ::testing::WithParamInterface<WlanFailureCase> {};

TEST_P(WlanFailure, EndsTheRunAsDescribed)
{
    const WlanFailureCase& failure = GetParam();
    world_.Profile(2, 1);
    world_.CameraInReach();
    if (failure.connectedElsewhere) {
        world_.SetNotShowAgain(1);
        world_.Wlan([](sim::WlanSimState& s) { s.connected = L"HomeNet"; });
    }
    const ArmedFault fault(failure.call, failure.code, failure.count, failure.skip);
    ASSERT_TRUE(fault.Armed());
    Start(CameraPayload());
    if (failure.outcome == WlanOutcome::PowerOffDialog || failure.outcome == WlanOutcome::FailedDialog) {
        const HWND dialog =
            WaitForDialog(failure.outcome == WlanOutcome::PowerOffDialog ? kPowerOffProp : kFailedProp, 20s);
        ASSERT_TRUE(dialog);
        PressDialogButton(dialog, 1);
    }
    ASSERT_EQ(0, Exit());
    EXPECT_NE(0u, fault.Made()) << "the failure was never reached";
    EXPECT_EQ(world_.CountWlanEvents(L"open"), world_.CountWlanEvents(L"close"));
    const bool connects = failure.outcome == WlanOutcome::Connects;
    EXPECT_EQ(connects, world_.Connected() == kCameraSsid);
    EXPECT_EQ(connects, !world_.Activations().empty());
    EXPECT_EQ(failure.outcome == WlanOutcome::FailedDialog,
              world_.UsageEvent({L"WiFiFunction", L"ConnectFailed", L"Count"}));
    // The toast is up only while connecting, and hidden again in every case.
    const bool toast = connects || failure.outcome == WlanOutcome::FailedDialog;
    EXPECT_EQ(toast, HasLine(world_.ToastRecords(), L"shown\t"));
    EXPECT_EQ(toast, HasLine(world_.ToastRecords(), L"hidden\t"));
    if (!toast) {
        EXPECT_EQ(world_.CountWlanEvents(L"setprofile"), 0);
    }
    if (failure.connectedElsewhere && !connects) {
        EXPECT_EQ(world_.Connected(), L"HomeNet");
    }
}

constexpr long kServiceNotActive = ERROR_SERVICE_NOT_ACTIVE;

INSTANTIATE_TEST_SUITE_P(
    Calls, WlanFailure,
    ::testing::Values(
        // The radio check opens the first handle; the run the second.
        WlanFailureCase{"OpenForTheRadioCheck", L"WlanOpenHandle", kServiceNotActive, 1, 0, false,
                        WlanOutcome::PowerOffDialog},
        WlanFailureCase{"OpenForTheRun", L"WlanOpenHandle", kServiceNotActive, 1, 1, false, WlanOutcome::Quiet},
        WlanFailureCase{"EnumForTheRadioCheck", L"WlanEnumInterfaces", ERROR_NOT_ENOUGH_MEMORY, 1, 0, false,
                        WlanOutcome::PowerOffDialog},
        WlanFailureCase{"EnumForTheRun", L"WlanEnumInterfaces", ERROR_NOT_ENOUGH_MEMORY, 1, 1, false,
                        WlanOutcome::Quiet},
        WlanFailureCase{"RadioQuery", L"WlanQueryInterface.4", ERROR_ACCESS_DENIED, 1, 0, false,
                        WlanOutcome::PowerOffDialog},
        WlanFailureCase{"ConnectionQuery", L"WlanQueryInterface.7", ERROR_ACCESS_DENIED, 1, 0, true,
                        WlanOutcome::Connects},
        WlanFailureCase{"Disconnect", L"WlanDisconnect", ERROR_ACCESS_DENIED, -1, 0, true, WlanOutcome::Quiet},
        WlanFailureCase{"SetProfile", L"WlanSetProfile", ERROR_ACCESS_DENIED, -1, 0, false,
                        WlanOutcome::FailedDialog},
        WlanFailureCase{"RegisterNotification", L"WlanRegisterNotification", ERROR_ACCESS_DENIED, -1, 0, false,
                        WlanOutcome::FailedDialog},
        WlanFailureCase{"Connect", L"WlanConnect", ERROR_INVALID_STATE, -1, 0, false, WlanOutcome::FailedDialog}),
    [](const auto& info) { return std::string(info.param.name); });

// The toast and the dialogs' app-visibility watch failing: a toast that
// cannot be made or shown is left out and the run goes on; one that cannot
// be hidden stays on screen; a dialog without the visibility service still
// works, it only no longer follows the Start screen.
struct UiFailureCase {
    const char* name;
    const wchar_t* call;
    bool radioOff;  // the Wi-Fi-off dialog instead of a connection
    bool toastShown;
    bool toastHidden;
    bool advised;
};

class ToastAndDialogFailure : public PairwellProcess, public ::testing::WithParamInterface<UiFailureCase> {};

TEST_P(ToastAndDialogFailure, IsSilentAndTheRunGoesOn)
{
    const UiFailureCase& failure = GetParam();
    world_.CameraInReach();
    if (failure.radioOff) world_.Wlan([](sim::WlanSimState& s) { s.phys = {false}; });
    const ArmedFault fault(failure.call, E_FAIL);
    ASSERT_TRUE(fault.Armed());
    Start(CameraPayload());
    if (failure.radioOff) {
        const HWND dialog = WaitForDialog(kPowerOffProp);
        ASSERT_TRUE(dialog);
        PressDialogButton(dialog, 1);
    }
    ASSERT_EQ(0, Exit());
    EXPECT_NE(0u, fault.Made()) << "the failure was never reached";
    EXPECT_EQ(!failure.radioOff, world_.Connected() == kCameraSsid);
    EXPECT_EQ(!failure.radioOff, !world_.Activations().empty());
    EXPECT_EQ(failure.toastShown, HasLine(world_.ToastRecords(), L"shown\t"));
    EXPECT_EQ(failure.toastHidden, HasLine(world_.ToastRecords(), L"hidden\t"));
    const std::wstring visibility = sim::ReadStateFile(L"appvisibility", L"records.txt");
    EXPECT_EQ(failure.advised, visibility.find(L"advise\t") != std::wstring::npos);
    EXPECT_EQ(failure.advised, visibility.find(L"unadvise\t") != std::wstring::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, ToastAndDialogFailure,
    ::testing::Values(UiFailureCase{"TemplateContent", L"GetTemplateContent", false, false, false, false},
                      UiFailureCase{"Notifier", L"CreateToastNotifierWithId", false, false, false, false},
                      UiFailureCase{"Notification", L"CreateToastNotification", false, false, false, false},
                      UiFailureCase{"Show", L"ToastNotifier.Show", false, false, false, false},
                      UiFailureCase{"Hide", L"ToastNotifier.Hide", false, true, false, false},
                      UiFailureCase{"VisibilityService", L"AppVisibility.CreateInstance", true, false, false, false},
                      UiFailureCase{"VisibilityAdvise", L"AppVisibility.Advise", true, false, false, false},
                      UiFailureCase{"LauncherQuery", L"AppVisibility.IsLauncherVisible", true, false, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The activation manager failing: the run has connected and counted the
// launch; the failure is swallowed and Pairwell ends as usual.
class ActivationFailure : public PairwellProcess, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(ActivationFailure, IsSwallowedAfterTheConnection)
{
    world_.CameraInReach();
    const ArmedFault fault(GetParam(), E_FAIL);
    ASSERT_TRUE(fault.Armed());
    Start(CameraPayload());
    ASSERT_EQ(0, Exit());
    EXPECT_NE(0u, fault.Made()) << "the failure was never reached";
    EXPECT_EQ(world_.Connected(), kCameraSsid);
    EXPECT_TRUE(world_.UsageEvent({L"WiFiFunction", L"ConnectSuccess", L"Count"}));
    EXPECT_TRUE(world_.UsageEvent({L"LaunchFunction", L"Used", L"Count"}));
    // The manager records an activation it was asked for, also one it fails.
    EXPECT_EQ(std::wstring(GetParam()) == L"ActivateApplication", !world_.Activations().empty());
}

INSTANTIATE_TEST_SUITE_P(Calls, ActivationFailure,
                         ::testing::Values(L"ApplicationActivationManager.CreateInstance", L"ActivateApplication"),
                         [](const auto& info) {
                             return std::wstring(info.param).find(L'.') == std::wstring::npos ? std::string("Activate")
                                                                                               : std::string("Create");
                         });

}  // namespace
