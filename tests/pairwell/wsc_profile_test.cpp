// The WLAN profile written for a standard Wi-Fi tag's network: what the
// service stores from it (read back by the Wi-Fi stand-in's profile check).
#include <gtest/gtest.h>

#include "profile_check.h"
#include "toast_presenter.h"
#include "wsc_profile.h"

namespace tapdeck::pairwell {
namespace {

struct ProfileCase {
    const char* name;
    WscNetwork network;
    // What the service reads back.
    std::wstring profileName;
    std::wstring authentication;
    std::wstring encryption;
    std::wstring keyType;  // empty: no shared key
    std::wstring keyMaterial;
    std::wstring hex;  // the <hex> element; empty: none
};

class WscProfiles : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(WscProfiles, AreAcceptedAndHoldTheTagsValues)
{
    const ProfileCase& c = GetParam();
    WlanProfileParams params;
    FillWscProfileParams(params, c.network);
    const std::wstring xml = BuildProfileXml(params);
    sim::CheckedProfile stored;
    ASSERT_EQ(sim::CheckProfileXml(xml, stored), L"") << xml;
    EXPECT_EQ(stored.name, c.profileName);
    EXPECT_EQ(stored.ssid, c.profileName);
    EXPECT_EQ(stored.authentication, c.authentication);
    EXPECT_EQ(stored.encryption, c.encryption);
    EXPECT_EQ(stored.keyType, c.keyType);
    EXPECT_EQ(stored.keyMaterial, c.keyMaterial);
    EXPECT_EQ(stored.connectionMode, L"auto");
    const size_t hex = xml.find(L"<SSID><hex>");
    if (c.hex.empty()) {
        EXPECT_EQ(hex, std::wstring::npos) << xml;
    } else {
        EXPECT_NE(xml.find(L"<SSID><hex>" + c.hex + L"</hex><name>"), std::wstring::npos) << xml;
    }
    EXPECT_EQ(WscNetworkName(c.network.ssid), c.profileName);
}

INSTANTIATE_TEST_SUITE_P(
    Networks, WscProfiles,
    ::testing::Values(
        ProfileCase{"Wpa2Passphrase", {"Home", "correct horse", WscSecurity::Wpa2Personal}, L"Home", L"WPA2PSK", L"AES",
                    L"passPhrase", L"correct horse", L""},
        ProfileCase{"WpaTkip", {"Old", "passphrase", WscSecurity::WpaPersonal, false}, L"Old", L"WPAPSK", L"TKIP",
                    L"passPhrase", L"passphrase", L""},
        // Pairs Windows joins as well.
        ProfileCase{"WpaAes", {"Mid", "passphrase", WscSecurity::WpaPersonal, true}, L"Mid", L"WPAPSK", L"AES",
                    L"passPhrase", L"passphrase", L""},
        ProfileCase{"Wpa2Tkip", {"Mid", "passphrase", WscSecurity::Wpa2Personal, false}, L"Mid", L"WPA2PSK", L"TKIP",
                    L"passPhrase", L"passphrase", L""},
        ProfileCase{"Open", {"Cafe", "", WscSecurity::Open}, L"Cafe", L"open", L"none", L"", L"", L""},
        ProfileCase{"RawKey", {"Raw", std::string(64, 'F'), WscSecurity::Wpa2Personal}, L"Raw", L"WPA2PSK", L"AES",
                    L"networkKey", std::wstring(64, L'F'), L""},
        // XML's own characters, in the name and the key.
        ProfileCase{"XmlCharacters", {"<A&B> \"'", "p<&>\"'ss", WscSecurity::Wpa2Personal}, L"<A&B> \"'", L"WPA2PSK",
                    L"AES", L"passPhrase", L"p<&>\"'ss", L""},
        ProfileCase{"Utf8Name", {"Caf\xC3\xA9 \xE6\x9D\xB1", "passphrase", WscSecurity::Wpa2Personal},
                    L"Caf\u00E9 \u6771", L"WPA2PSK", L"AES", L"passPhrase", L"passphrase", L"436166C3A920E69DB1"},
        // Not UTF-8: matched by its bytes; named with what is printable.
        ProfileCase{"Latin1Name", {"Caf\xE9", "passphrase", WscSecurity::Wpa2Personal}, L"Caf?", L"WPA2PSK", L"AES",
                    L"passPhrase", L"passphrase", L"436166E9"},
        ProfileCase{"ControlBytes", {std::string("a\0\tb\x7F", 5), "passphrase", WscSecurity::Wpa2Personal},
                    L"a??b?", L"WPA2PSK", L"AES", L"passPhrase", L"passphrase", L"610009627F"},
        ProfileCase{"AllHighBytes", {std::string(32, '\xFF'), "passphrase", WscSecurity::Wpa2Personal},
                    std::wstring(32, L'?'), L"WPA2PSK", L"AES", L"passPhrase", L"passphrase",
                    [] {
                        std::wstring hex;
                        for (int i = 0; i < 32; ++i) hex += L"FF";
                        return hex;
                    }()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ToastText, NamesTheNetworkWhereTheTextSays)
{
    EXPECT_EQ(InsertValue(L"Connected to %1.", L"Home"), L"Connected to Home.");
    EXPECT_EQ(InsertValue(L"%1 に接続しました。", L"Home"), L"Home に接続しました。");
    // A name that looks like a placeholder is inserted as it is.
    EXPECT_EQ(InsertValue(L"Joined %1 (%1)", L"%1x"), L"Joined %1x (%1)");
    EXPECT_EQ(InsertValue(L"No placeholder", L"Home"), L"No placeholder");
}

}  // namespace
}  // namespace tapdeck::pairwell
