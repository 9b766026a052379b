// The installed Pairwell.exe started with a standard Wi-Fi tag, as the agent
// starts it for its second registration, over the Wi-Fi, toast, activation
// and usage-statistics stand-ins.
#include <gtest/gtest.h>

#include <algorithm>

#include "hex.h"
#include "pairwell_world.h"
#include "profile_check.h"
#include "sim_state.h"
#include "support/installed_texts.h"
#include "support/process.h"
#include "support/write_tag_dialog.h"
#include "wlan_profile_flags.h"
#include "wsc_message.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::test;

namespace {

constexpr wchar_t kUnsupportedProp[] = L"Pairwell WiFiTagUnsupportedDlg prop";
constexpr wchar_t kEmptyProp[] = L"Pairwell WiFiTagEmptyDlg prop";
constexpr wchar_t kConnectedProp[] = L"Camera WiFiConnectedDlg prop";
constexpr wchar_t kFailedProp[] = L"Camera WiFiConnectFailDlg prop";
constexpr wchar_t kPowerOffProp[] = L"Camera WiFiPowerOffDlg prop";

std::wstring Profile(const std::wstring& name, const std::wstring& security)
{
    return L"accepted <?xml version=\"1.0\"?><WLANProfile xmlns=\"http://www.microsoft.com/networking/WLAN/profile/v1\">"
           L"<name>" + name + L"</name><SSIDConfig><SSID><name>" + name + L"</name></SSID></SSIDConfig>"
           L"<connectionType>ESS</connectionType><connectionMode>auto</connectionMode>"
           L"<autoSwitch>false</autoSwitch><MSM><security><authEncryption>" + security +
           L"</security></MSM></WLANProfile>";
}

std::vector<std::wstring> Lines(const std::vector<std::wstring>& lines, const std::wstring& prefix)
{
    std::vector<std::wstring> found;
    for (const std::wstring& line : lines) {
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
    }
    return found;
}

// The last toast shown or hidden.
std::wstring LastShownOrHidden(const std::vector<std::wstring>& lines)
{
    std::wstring last;
    for (const std::wstring& line : lines) {
        if (line.rfind(L"shown\t", 0) == 0 || line.rfind(L"hidden\t", 0) == 0) last = line;
    }
    return last;
}

// The dialog's message speaks of the tag: it is one of the installed texts.
void ExpectMessage(HWND dialog, UINT id)
{
    wchar_t text[1024] = {};
    ::GetWindowTextW(::FindWindowExW(dialog, nullptr, L"Static", nullptr), text, 1024);
    const std::vector<std::wstring> texts = InstalledTexts(L"Pairwell.exe", id);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_NE(std::find(texts.begin(), texts.end(), std::wstring(text)), texts.end()) << id;
}

class StandardTag : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (process_ && WaitForExit(process_.get(), 0ms) == -1) {
            RunProgram(PairwellPath(), L"/HaltAll");
            if (WaitForExit(process_.get(), 10s) == -1) ::TerminateProcess(process_.get(), 1);
        }
    }
    void Start(const std::wstring& message) { process_ = StartPairwell(message); }
    long Exit(std::chrono::milliseconds timeout = 20s) { return WaitForExit(process_.get(), timeout); }
    void InReach(const std::wstring& ssid, const std::wstring& key)
    {
        world_.Wlan([&](sim::WlanSimState& s) { s.networks.push_back({ssid, key}); });
    }
    // Nothing of the connection flow happened.
    void ExpectNoWifiAndNoToast()
    {
        EXPECT_EQ(world_.CountWlanEvents(L"setprofile"), 0);
        EXPECT_EQ(world_.CountWlanEvents(L"connect"), 0);
        EXPECT_TRUE(world_.ToastRecords().empty());
        EXPECT_TRUE(world_.Activations().empty());
    }

    PairwellWorld world_;
    unique_handle process_;
};

struct JoinCase {
    const char* name;
    std::vector<sim::WscCredentialFields> credentials;
    std::wstring ssid;
    std::wstring key;  // what the network in reach accepts
    std::wstring security;
};

class StandardTagJoins : public StandardTag, public ::testing::WithParamInterface<JoinCase> {};

TEST_P(StandardTagJoins, WithItsProfileAndAToastNamingTheNetworkButNoCompanion)
{
    const JoinCase& c = GetParam();
    InReach(c.ssid, c.key);
    Start(PhoneTag(c.credentials));
    ASSERT_EQ(0, Exit());

    EXPECT_EQ(world_.Connected(), c.ssid);
    const std::vector<std::wstring> profiles = sim::ReadWlanProfiles();
    ASSERT_EQ(profiles.size(), 1u);
    EXPECT_EQ(profiles[0], Profile(c.ssid, c.security));
    EXPECT_EQ(world_.CountWlanEvents(L"connect "), 1);
    EXPECT_EQ(world_.CountWlanEvents(L"open"), world_.CountWlanEvents(L"close"));

    // Connecting, then joined: the toast that stays names the network.
    const std::vector<std::wstring> toasts = world_.ToastRecords();
    const std::vector<std::wstring> shown = Lines(toasts, L"shown\tVexa.Quor.Tapdeck\t");
    ASSERT_EQ(shown.size(), 2u) << ::testing::PrintToString(toasts);
    EXPECT_NE(shown[0].find(c.ssid), std::wstring::npos);
    EXPECT_NE(shown[1].find(c.ssid), std::wstring::npos);
    EXPECT_NE(shown[0], shown[1]);
    EXPECT_EQ(LastShownOrHidden(toasts), shown[1]) << "the joined toast must stay";

    EXPECT_TRUE(world_.UsageEvent({L"WiFiFunction", L"ConnectSuccess", L"Count"}));
    EXPECT_FALSE(world_.UsageEvent({L"LaunchFunction", L"Used", L"Count"}));
    EXPECT_TRUE(world_.Activations().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Networks, StandardTagJoins,
    ::testing::Values(
        JoinCase{"Wpa2Passphrase", {Credential("Home Net", "sommer-2026")}, L"Home Net", L"sommer-2026",
                 L"<authentication>WPA2PSK</authentication><encryption>AES</encryption><useOneX>false</useOneX>"
                 L"</authEncryption><sharedKey><keyType>passPhrase</keyType><protected>false</protected>"
                 L"<keyMaterial>sommer-2026</keyMaterial></sharedKey>"},
        JoinCase{"Open", {Credential("Cafe", "", 0x0001, 0x0001)}, L"Cafe", L"",
                 L"<authentication>open</authentication><encryption>none</encryption><useOneX>false</useOneX>"
                 L"</authEncryption>"},
        // The first credential this PC can use, after an enterprise one.
        JoinCase{"WpaRawKeyAfterEnterprise",
                 {Credential("Corp", "", 0x0010, 0x0008), Credential("Lab", std::string(64, 'c'), 0x0002, 0x0004)},
                 L"Lab", std::wstring(64, L'c'),
                 L"<authentication>WPAPSK</authentication><encryption>TKIP</encryption><useOneX>false</useOneX>"
                 L"</authEncryption><sharedKey><keyType>networkKey</keyType><protected>false</protected>"
                 L"<keyMaterial>" + std::wstring(64, L'c') + L"</keyMaterial></sharedKey>"},
        // Pairs Windows joins too.
        JoinCase{"WpaAes", {Credential("Mid", "passphrase", 0x0002, 0x0008)}, L"Mid", L"passphrase",
                 L"<authentication>WPAPSK</authentication><encryption>AES</encryption><useOneX>false</useOneX>"
                 L"</authEncryption><sharedKey><keyType>passPhrase</keyType><protected>false</protected>"
                 L"<keyMaterial>passphrase</keyMaterial></sharedKey>"},
        JoinCase{"Wpa2Tkip", {Credential("Mid", "passphrase", 0x0020, 0x0004)}, L"Mid", L"passphrase",
                 L"<authentication>WPA2PSK</authentication><encryption>TKIP</encryption><useOneX>false</useOneX>"
                 L"</authEncryption><sharedKey><keyType>passPhrase</keyType><protected>false</protected>"
                 L"<keyMaterial>passphrase</keyMaterial></sharedKey>"}),
    [](const auto& info) { return std::string(info.param.name); });

// A tag the PC wrote ("Tapdeck.exe /WriteWifiTag") joins as a phone's does.
TEST_F(StandardTag, WrittenByThePcItJoins)
{
    InReach(L"Casa Mueller", L"sommer-2026-wlan");
    TagRadio radio;
    std::wstring tag;
    {
        // Its name is the one of the network the PC is on.
        world_.Wlan([](sim::WlanSimState& s) { s.connected = L"Casa Mueller"; });
        WriteTagDialog dialog;
        ASSERT_TRUE(dialog.Window());
        EXPECT_EQ(L"Casa Mueller", dialog.Control(kWriteNameEdit));
        world_.Wlan([](sim::WlanSimState& s) { s.connected.clear(); });
        dialog.Fill(L"Casa Mueller", L"sommer-2026-wlan");
        dialog.Write();
        // Held to the reader once the message is published, as a user does after "Write".
        ASSERT_TRUE(WaitUntil([] {
            return sim::ReadStateFile(sim::kNfcArea, sim::kNfcPublishedFile).find(L"publish\t") != std::wstring::npos;
        }, 10s));
        PlaceTag(L"writable 512");
        const auto written = [&] { return (tag = sim::ReadStateFile(sim::kNfcArea, sim::kNfcTagFile)).size() > 13; };
        ASSERT_TRUE(WaitUntil(written, 10s));
    }
    Start(tag.substr(std::wstring(L"writable 512 ").size()));
    ASSERT_EQ(0, Exit());
    EXPECT_EQ(world_.Connected(), L"Casa Mueller");
}

// The user's own profile of the tag's network: still the user's after the
// touch (connects by itself, keeps its settings and its type), holding the
// tag's key. A group-policy profile is never changed: it is connected with
// as it is, and with another key than the network's the touch fails.
struct OwnProfileCase {
    const char* name;
    const wchar_t* key;
    DWORD flags;
    bool joins;
};

class UsersOwnProfile : public StandardTag, public ::testing::WithParamInterface<OwnProfileCase> {};

TEST_P(UsersOwnProfile, KeepsItsSettingsAndTakesTheTagsKey)
{
    const OwnProfileCase& c = GetParam();
    world_.Profile(1, 1);
    InReach(L"Home Net", L"sommer-2026");
    const std::wstring users =
        L"<?xml version=\"1.0\"?><WLANProfile xmlns=\"http://www.microsoft.com/networking/WLAN/profile/v1\">"
        L"<name>Home Net</name><SSIDConfig><SSID><name>Home Net</name></SSID></SSIDConfig>"
        L"<connectionType>ESS</connectionType><connectionMode>auto</connectionMode><autoSwitch>true</autoSwitch>"
        L"<MSM><security><authEncryption><authentication>WPA2PSK</authentication><encryption>AES</encryption>"
        L"<useOneX>false</useOneX></authEncryption><sharedKey><keyType>passPhrase</keyType>"
        L"<protected>false</protected><keyMaterial>" + std::wstring(c.key) +
        L"</keyMaterial></sharedKey></security></MSM></WLANProfile>";
    world_.Wlan([&](sim::WlanSimState& s) { ASSERT_EQ(sim::AddUserProfile(s, users, c.flags), L""); });
    Start(PhoneTag({Credential("Home Net", "sommer-2026")}));
    if (!c.joins) {
        const HWND dialog = WaitForDialog(kFailedProp);
        ASSERT_TRUE(dialog);
        PressDialogButton(dialog, 1);
    }
    ASSERT_EQ(0, Exit());
    EXPECT_EQ(world_.Connected(), c.joins ? L"Home Net" : L"");
    const sim::WlanSimState state = sim::LoadWlanState();
    ASSERT_EQ(state.profiles.size(), 1u);
    EXPECT_EQ(state.profiles[0].keyMaterial, c.joins ? L"sommer-2026" : c.key);
    EXPECT_EQ(state.profiles[0].flags, c.flags);
    EXPECT_NE(state.profiles[0].xml.find(L"<connectionMode>auto</connectionMode><autoSwitch>true</autoSwitch>"),
              std::wstring::npos)
        << sim::ToUtf8(state.profiles[0].xml);
}

INSTANTIATE_TEST_SUITE_P(Keys, UsersOwnProfile,
                         ::testing::Values(OwnProfileCase{"SameKey", L"sommer-2026", 0, true},
                                           OwnProfileCase{"OldKey", L"winter-2025", 0, true},
                                           OwnProfileCase{"PerUserOldKey", L"winter-2025", WLAN_PROFILE_USER, true},
                                           OwnProfileCase{"GroupPolicySameKey", L"sommer-2026",
                                                          WLAN_PROFILE_GROUP_POLICY, true},
                                           OwnProfileCase{"GroupPolicyOldKey", L"winter-2025",
                                                          WLAN_PROFILE_GROUP_POLICY, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase {
    const char* name;
    std::wstring message;
    const wchar_t* property;  // null: no dialog at all
};

class StandardTagRefused : public StandardTag, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(StandardTagRefused, TellsTheUserWhyOrEndsQuietly)
{
    InReach(L"Home", L"passphrase");
    Start(GetParam().message);
    if (GetParam().property) {
        const HWND dialog = WaitForDialog(GetParam().property);
        ASSERT_TRUE(dialog);
        ExpectMessage(dialog, GetParam().property == kEmptyProp ? 540 : 536);
        PressDialogButton(dialog, 1);
    }
    ASSERT_EQ(0, Exit());
    EXPECT_FALSE(FindWindowWithProperty(kUnsupportedProp));
    EXPECT_FALSE(FindWindowWithProperty(kEmptyProp));
    EXPECT_EQ(world_.CountWlanEvents(L"open"), 0);
    ExpectNoWifiAndNoToast();
}

INSTANTIATE_TEST_SUITE_P(
    Tags, StandardTagRefused,
    ::testing::Values(
        RefusedCase{"Wep", PhoneTag({Credential("Home", "12345", 0x0001, 0x0002)}), kUnsupportedProp},
        RefusedCase{"Enterprise", PhoneTag({Credential("Home", "", 0x0010, 0x0008)}), kUnsupportedProp},
        RefusedCase{"PasswordToken", tapdeck::ToHex(sim::NdefMessageBytes({sim::WscRecord(sim::WscPasswordTokenPayload())})),
                    kEmptyProp},
        // A handover request begins with its "Hr" record: not a standard tag.
        RefusedCase{"HandoverRequest", tapdeck::ToHex(sim::WscHandoverRequestMessage()), nullptr},
        RefusedCase{"KeyOf7", PhoneTag({Credential("Home", "1234567")}), nullptr},
        RefusedCase{"CutShort", PhoneTag({Credential("Home", "passphrase")}).substr(0, 80), nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// The camera path's care: the existing-connection question.
TEST_F(StandardTag, AsksBeforeDroppingAnotherNetworkThenJoins)
{
    InReach(L"Home", L"passphrase");
    world_.Wlan([](sim::WlanSimState& s) { s.connected = L"Office"; });
    Start(PhoneTag({Credential("Home", "passphrase")}));
    const HWND dialog = WaitForDialog(kConnectedProp);
    ASSERT_TRUE(dialog);
    ExpectMessage(dialog, 548);
    PressDialogButton(dialog, 6);
    ASSERT_EQ(0, Exit());
    EXPECT_TRUE(world_.HasWlanEvent(L"disconnect Office"));
    EXPECT_EQ(world_.Connected(), L"Home");
    EXPECT_TRUE(world_.Activations().empty());
}

TEST_F(StandardTag, WifiOffShowsTheWifiOffDialog)
{
    InReach(L"Home", L"passphrase");
    world_.Wlan([](sim::WlanSimState& s) { s.phys = {false}; });
    Start(PhoneTag({Credential("Home", "passphrase")}));
    const HWND dialog = WaitForDialog(kPowerOffProp);
    ASSERT_TRUE(dialog);
    ExpectMessage(dialog, 547);
    PressDialogButton(dialog, 1);
    ASSERT_EQ(0, Exit());
    ExpectNoWifiAndNoToast();
}

// Bounded retries: a network that refuses the key fails after its attempts.
TEST_F(StandardTag, RefusedKeyFailsAfterItsAttempts)
{
    world_.Profile(2, 1);
    InReach(L"Home", L"another-key");
    Start(PhoneTag({Credential("Home", "passphrase")}));
    const HWND dialog = WaitForDialog(kFailedProp, 20s);
    ASSERT_TRUE(dialog);
    ExpectMessage(dialog, 546);
    EXPECT_EQ(world_.CountWlanEvents(L"connect "), 2);
    PressDialogButton(dialog, 1);
    ASSERT_EQ(0, Exit());
    EXPECT_TRUE(world_.UsageEvent({L"WiFiFunction", L"ConnectFailed", L"Count"}));
    const std::vector<std::wstring> toasts = world_.ToastRecords();
    EXPECT_EQ(Lines(toasts, L"shown\t").size(), 1u) << "no joined toast after a failure";
    EXPECT_EQ(LastShownOrHidden(toasts).rfind(L"hidden\t", 0), 0u) << ::testing::PrintToString(toasts);
}

TEST_F(StandardTag, HaltAllWhileConnectingEndsWithoutDialog)
{
    world_.Profile(3, 30);
    InReach(L"Home", L"passphrase");
    world_.Wlan([](sim::WlanSimState& s) { s.connectSucceeds = false; });
    Start(PhoneTag({Credential("Home", "passphrase")}));
    ASSERT_TRUE(WaitUntil([&] { return world_.CountWlanEvents(L"connect ") == 1; }, 15s));
    EXPECT_EQ(0, RunProgram(PairwellPath(), L"/HaltAll"));
    ASSERT_EQ(0, Exit(10s));
    EXPECT_FALSE(FindWindowWithProperty(kFailedProp));
    EXPECT_FALSE(world_.UsageEvent({L"WiFiFunction", L"ConnectFailed", L"Count"}));
    EXPECT_EQ(Lines(world_.ToastRecords(), L"hidden\t").size(), 1u);
}

}  // namespace
