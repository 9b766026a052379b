// Standard Wi-Fi tags (Wi-Fi Simple Configuration records in an NDEF
// message): real tags as phones, tag-writer apps and libraries wrote them,
// tags built from the public format in every shape, and bad input.
#include <gtest/gtest.h>

#include <cwctype>
#include <set>

#include "hex.h"
#include "pairwell_world.h"
#include "support/wsc_outcome_name.h"
#include "wsc_decoder.h"
#include "wsc_message.h"

namespace tapdeck {
namespace {

using sim::NdefMessageBytes;
using test::OutcomeName;
using sim::NdefRecordFields;
using sim::WscAttribute;
using sim::WscConfigurationPayload;
using sim::WscCredentialFields;
using sim::WscRecord;

std::string Bytes(std::string_view hex)
{
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return out;
}

std::wstring Hex(std::string_view bytes) { return tapdeck::ToHex(bytes); }

std::wstring Upper(std::wstring text)
{
    for (wchar_t& c : text) c = static_cast<wchar_t>(::towupper(c));
    return text;
}

struct RealTag {
    const char* name;
    const char* source;
    std::string message;  // the whole NDEF message
    WscOutcome outcome;
    const char* ssid;
    const char* key;
    WscSecurity security;
};

// Android's log of a tag prints each record's type and payload: the bytes
// below are those, unchanged, in short records as Android writes them.
std::string AndroidLogged(std::vector<std::pair<unsigned, std::pair<const char*, const char*>>> records)
{
    std::vector<NdefRecordFields> fields;
    for (const auto& [tnf, typeAndPayload] : records) {
        fields.push_back(NdefRecordFields{tnf, Bytes(typeAndPayload.first), {}, Bytes(typeAndPayload.second), false});
    }
    return NdefMessageBytes(fields);
}

constexpr char kWscTypeHex[] = "6170706c69636174696f6e2f766e642e7766612e777363";

std::vector<RealTag> AllRealTags()
{
    return {
        // A tag written by an Android Wi-Fi sharing app (derived from
        // WiFiKeyShare): no network index, no encryption type, no MAC, and
        // the app's record after it.
        {"AndroidAppNoEncryptionType",
         "github.com/MichaelsPlayground/NfcWifiConnectOwn readme.md, \"WLAN test-tag\"",
         AndroidLogged({{2, {kWscTypeHex, "100e0020104500094b696464795f4e6574100300020020102700094c656f6e5f32303138"}},
                        {4, {"616e64726f69642e636f6d3a706b67",
                             "64652e616e64726f696463727970746f2e6e666377696669636f6e6e6563746f776e"}}}),
         WscOutcome::Usable, "Kiddy_Net", "Leon_2018", WscSecurity::Wpa2Personal},
        // The same network written by a tag-writer app: every field.
        {"WriterAppFullCredential", "github.com/MichaelsPlayground/NfcNdefExamples readme.md, \"WLAN-Verbindung\"",
         AndroidLogged({{2,
                         {kWscTypeHex, "100e00351026000101104500094b696464795f4e6574100300020020100f0002000c102700094c"
                                       "656f6e5f3230313810200006ffffffffffff"}}}),
         WscOutcome::Usable, "Kiddy_Net", "Leon_2018", WscSecurity::Wpa2Personal},
        {"WriterAppWpa2AesTkip", "github.com/MichaelsPlayground/NfcNdefExamples readme.md, \"WLAN-Test\"",
         AndroidLogged({{2,
                         {kWscTypeHex, "100e003910260001011045000e545f577061325f416573746b6970100300020020100f0002000c"
                                       "10270008313233343536373810200006ffffffffffff"}}}),
         WscOutcome::Usable, "T_Wpa2_Aestkip", "12345678", WscSecurity::Wpa2Personal},
        // A tag's memory dump: short record with an empty ID; the credential's
        // length also covers the Version2 vendor extension after it.
        {"ArduinoTagLibrary",
         "github.com/sparkfun/SparkFun_ST25DV64KC_Arduino_Library src/SparkFun_ST25DV64KC_NDEF.cpp, writeNDEFWiFi "
         "dump (bytes 0x0A-0x7B, the NDEF message TLV's value)",
         Bytes("da1757006170706c69636174696f6e2f766e642e7766612e777363100e005310260001011045000c67756573744e6574776f72"
               "6b100300020020100f0002000810270010677565737450617373776f7264313233102000060000000000001049000600372a02"
               "01011049000600372a000120"),
         WscOutcome::Usable, "guestNetwork", "guestPassword123", WscSecurity::Wpa2Personal},
        // A phone system's test record: an ID "1", and WPA2-Personal beside
        // encryption "none", which means AES to the phone that wrote it.
        {"PhoneOsRecordWithId",
         "github.com/openharmony/communication_nfc test/fuzztest/services_test/ndefwifidataparser_test/"
         "ndefwifidataparser/ndefwifidataparser_fuzzer/ndefwifidataparser_fuzzer.cpp, FuzzCheckWifiRecord3",
         Bytes("DA1736016170706C69636174696F6E2F766E642E7766612E77736331100E003210260001011045000741646143393239100300020020100F"
               "0002000110270008383838383838383810200006FFFFFFFFFFFF"),
         WscOutcome::Usable, "AdaC929", "88888888", WscSecurity::Wpa2Personal},
        // An access point's password token: a device password, no network.
        {"AccessPointPasswordToken",
         "hostap (w1.fi) tests/hwsim/test_nfc_wps.py, test_nfc_wps_password_token_ap_preconf",
         Bytes("D217446170706C69636174696F6E2F766E642E7766612E777363102C0036691F6C35AC5FF23180FFBF899BF3E563D047AA68BFABCB7FE7A2"
               "5053F8F5BF822660C21E66D8A58D3393BB78494E239031D6AABCB90C1049000600372A000120"),
         WscOutcome::NoCredential, "", "", WscSecurity::Open},
    };
}

class RealTags : public ::testing::TestWithParam<RealTag> {};

TEST_P(RealTags, DecodeAsTheirWriterMeantThem)
{
    const RealTag& tag = GetParam();
    SCOPED_TRACE(tag.source);
    const std::wstring hex = Hex(tag.message);
    EXPECT_TRUE(IsWscMessage(hex));
    const WscTag decoded = DecodeWscMessage(hex);
    ASSERT_EQ(OutcomeName(decoded.outcome), OutcomeName(tag.outcome));
    if (tag.outcome != WscOutcome::Usable) return;
    EXPECT_EQ(decoded.network.ssid, tag.ssid);
    EXPECT_EQ(decoded.network.key, tag.key);
    EXPECT_EQ(decoded.network.security, tag.security);
}

INSTANTIATE_TEST_SUITE_P(Published, RealTags, ::testing::ValuesIn(AllRealTags()),
                         [](const auto& info) { return std::string(info.param.name); });

// Shapes built from the public format.
struct Shape {
    const char* name;
    std::string message;
    WscOutcome outcome;
    std::string ssid;
    std::string key;
    WscSecurity security = WscSecurity::Wpa2Personal;
    // Windows delivers a message by its first record: only then is it a standard tag.
    bool firstRecordWsc = true;
};

WscCredentialFields Credential(std::string ssid, std::string key, unsigned auth = 0x0020,
                             std::optional<unsigned> encr = 0x0008)
{
    WscCredentialFields credential;
    credential.ssid = std::move(ssid);
    credential.key = std::move(key);
    credential.auth = auth;
    credential.encr = encr;
    return credential;
}

std::string OneRecord(std::string payload, bool longForm = false)
{
    return NdefMessageBytes({WscRecord(std::move(payload), longForm)});
}

std::string Token(std::vector<WscCredentialFields> credentials, bool longForm = false)
{
    return OneRecord(WscConfigurationPayload(credentials), longForm);
}

std::string CredentialOnly(std::string body) { return OneRecord(WscAttribute(0x100E, body)); }

const std::string kSsid = WscAttribute(0x1045, "Net");
const std::string kWpa2 = WscAttribute(0x1003, std::string("\x00\x20", 2));
const std::string kAes = WscAttribute(0x100F, std::string("\x00\x08", 2));
const std::string kKey = WscAttribute(0x1027, "passw0rd");
const std::string kRawKey(64, 'a');

std::vector<Shape> AllShapes()
{
    WscCredentialFields minimal = Credential("Minimal", "passphrase", 0x0020, std::nullopt);
    minimal.optionalFields = false;
    return {
        {"ShortRecord", Token({Credential("Home", "passphrase")}), WscOutcome::Usable, "Home", "passphrase"},
        {"LongRecord", Token({Credential("Home", "passphrase")}, true), WscOutcome::Usable, "Home", "passphrase"},
        {"PayloadOver255Bytes",
         Token({Credential("Sec", "passphrase", 0x0010), Credential("Sec", "passphrase", 0x0010),
                Credential("Sec", "passphrase", 0x0010), Credential("Sec", "passphrase", 0x0010),
                Credential("Sec", "passphrase", 0x0010), Credential("Sec", "passphrase", 0x0010),
                Credential("Big", std::string(63, 'k'))}),
         WscOutcome::Usable, "Big", std::string(63, 'k')},
        {"AfterAUriRecord",
         NdefMessageBytes({sim::UriRecord("https://example.com/"), WscRecord(WscConfigurationPayload({Credential("A", "passphrase")}))}),
         WscOutcome::Usable, "A", "passphrase", WscSecurity::Wpa2Personal, false},
        {"BetweenRecords",
         NdefMessageBytes({sim::UriRecord("https://example.com/"),
                           WscRecord(WscConfigurationPayload({Credential("B", "passphrase")})),
                           sim::AndroidAppRecord("com.example")}),
         WscOutcome::Usable, "B", "passphrase", WscSecurity::Wpa2Personal, false},
        {"NoVersionNoVendorExtension", CredentialOnly(kSsid + kWpa2 + kAes + kKey), WscOutcome::Usable, "Net",
         "passw0rd"},
        {"OnlyRequiredFieldsNoEncryption", Token({minimal}), WscOutcome::Usable, "Minimal", "passphrase"},
        {"Open", Token({Credential("Cafe", "", 0x0001, 0x0001)}), WscOutcome::Usable, "Cafe", "", WscSecurity::Open},
        {"OpenWithoutEncryptionOrKey", CredentialOnly(kSsid + WscAttribute(0x1003, std::string("\x00\x01", 2))),
         WscOutcome::Usable, "Net", "", WscSecurity::Open},
        {"WpaTkip", Token({Credential("Old", "passphrase", 0x0002, 0x0004)}), WscOutcome::Usable, "Old", "passphrase",
         WscSecurity::WpaPersonal},
        {"WpaWithoutEncryption", Token({Credential("Old", "passphrase", 0x0002, std::nullopt)}), WscOutcome::Usable,
         "Old", "passphrase", WscSecurity::WpaPersonal},
        {"MixedWpaWpa2AesTkip", Token({Credential("Mix", "passphrase", 0x0022, 0x000C)}), WscOutcome::Usable, "Mix",
         "passphrase"},
        {"Wpa2AesTkip", Token({Credential("Both", "passphrase", 0x0020, 0x000C)}), WscOutcome::Usable, "Both",
         "passphrase"},
        {"Wpa2WithTkipOnly", Token({Credential("T", "passphrase", 0x0020, 0x0004)}), WscOutcome::Usable, "T",
         "passphrase"},
        {"WpaWithAesOnly", Token({Credential("A", "passphrase", 0x0002, 0x0008)}), WscOutcome::Usable, "A",
         "passphrase", WscSecurity::WpaPersonal},
        {"RawKey", Token({Credential("Raw", kRawKey)}), WscOutcome::Usable, "Raw", kRawKey},
        {"KeyOf8", Token({Credential("K", "12345678")}), WscOutcome::Usable, "K", "12345678"},
        {"KeyOf63", Token({Credential("K", std::string(63, '~'))}), WscOutcome::Usable, "K", std::string(63, '~')},
        {"KeyEndingInNul", Token({Credential("K", std::string("12345678\0", 9))}), WscOutcome::Usable, "K",
         "12345678"},
        {"SsidOf32", Token({Credential(std::string(32, 's'), "passphrase")}), WscOutcome::Usable, std::string(32, 's'),
         "passphrase"},
        {"SsidNotUtf8", Token({Credential("Caf\xE9\x01", "passphrase")}), WscOutcome::Usable, "Caf\xE9\x01",
         "passphrase"},
        // Several credentials: the first this PC can use.
        {"FirstOfTwoUsable", Token({Credential("One", "passphrase"), Credential("Two", "passphrase")}),
         WscOutcome::Usable, "One", "passphrase"},
        {"EnterpriseThenPersonal",
         Token({Credential("Corp", "passphrase", 0x0010, 0x0008), Credential("Guest", "passphrase")}),
         WscOutcome::Usable, "Guest", "passphrase"},
        {"BrokenThenUsable", Token({Credential("Short", "1234567"), Credential("Good", "passphrase")}),
         WscOutcome::Usable, "Good", "passphrase"},
        {"UsableInTheSecondWscRecord",
         NdefMessageBytes({WscRecord(sim::WscPasswordTokenPayload()),
                           WscRecord(WscConfigurationPayload({Credential("Second", "passphrase")}))}),
         WscOutcome::Usable, "Second", "passphrase"},
        // Networks this PC cannot join.
        {"Wep", Token({Credential("W", "12345", 0x0001, 0x0002)}), WscOutcome::Unsupported, "", ""},
        {"Shared", Token({Credential("S", "12345", 0x0004, 0x0002)}), WscOutcome::Unsupported, "", ""},
        {"WpaEnterprise", Token({Credential("E", "", 0x0008, 0x0004)}), WscOutcome::Unsupported, "", ""},
        {"Wpa2Enterprise", Token({Credential("E", "", 0x0010, 0x0008)}), WscOutcome::Unsupported, "", ""},
        {"UnknownAuthentication", Token({Credential("U", "passphrase", 0x0040, 0x0008)}), WscOutcome::Unsupported,
         "", ""},
        {"EnterpriseAndWep",
         Token({Credential("E", "", 0x0010, 0x0008), Credential("W", "12345", 0x0001, 0x0002)}),
         WscOutcome::Unsupported, "", ""},
        // No network settings at all.
        {"PasswordToken", OneRecord(sim::WscPasswordTokenPayload()), WscOutcome::NoCredential, "", ""},
        {"HandoverRequest", sim::WscHandoverRequestMessage(), WscOutcome::NoCredential, "", "",
         WscSecurity::Wpa2Personal, false},
        {"EmptyPayload", OneRecord(""), WscOutcome::NoCredential, "", ""},
        // Malformed credentials: the run ends quietly.
        {"NoSsid", CredentialOnly(kWpa2 + kAes + kKey), WscOutcome::Malformed, "", ""},
        {"NoKey", CredentialOnly(kSsid + kWpa2 + kAes), WscOutcome::Malformed, "", ""},
        {"NoAuthentication", CredentialOnly(kSsid + kAes + kKey), WscOutcome::Malformed, "", ""},
        {"SsidOf0", Token({Credential("", "passphrase")}), WscOutcome::Malformed, "", ""},
        {"SsidOf33", Token({Credential(std::string(33, 's'), "passphrase")}), WscOutcome::Malformed, "", ""},
        {"KeyOf7", Token({Credential("K", "1234567")}), WscOutcome::Malformed, "", ""},
        {"KeyOf64NotHex", Token({Credential("K", std::string(63, 'a') + "g")}), WscOutcome::Malformed, "", ""},
        {"KeyOf65", Token({Credential("K", std::string(65, 'a'))}), WscOutcome::Malformed, "", ""},
        {"KeyNotAscii", Token({Credential("K", "pass\xC3\xA9word")}), WscOutcome::Malformed, "", ""},
        {"KeyWithControl", Token({Credential("K", "pass\tword")}), WscOutcome::Malformed, "", ""},
        {"NestedCredential", CredentialOnly(kSsid + kWpa2 + kAes + kKey + WscAttribute(0x100E, kSsid + kWpa2 + kKey)),
         WscOutcome::Malformed, "", ""},
        {"TwoSsids", CredentialOnly(kSsid + kSsid + kWpa2 + kAes + kKey), WscOutcome::Malformed, "", ""},
        {"AuthenticationOf3Bytes", CredentialOnly(kSsid + WscAttribute(0x1003, std::string("\x00\x20\x00", 3)) + kKey),
         WscOutcome::Malformed, "", ""},
        {"MacOf5Bytes", CredentialOnly(kSsid + kWpa2 + kKey + WscAttribute(0x1020, "12345")), WscOutcome::Malformed,
         "", ""},
        {"VersionOf2Bytes", OneRecord(WscAttribute(0x104A, "12") + WscAttribute(0x100E, kSsid + kWpa2 + kKey)),
         WscOutcome::Malformed, "", ""},
        {"AttributeLengthPastTheEnd", OneRecord(WscAttribute(0x100E, kSsid + kWpa2 + kKey) + std::string("\x10\x49\x00\x09\x00", 5)),
         WscOutcome::Malformed, "", ""},
        {"CredentialLengthPastTheEnd", OneRecord(std::string("\x10\x0E\x00\xFF", 4) + kSsid + kWpa2 + kKey),
         WscOutcome::Malformed, "", ""},
    };
}

class Shapes : public ::testing::TestWithParam<Shape> {};

TEST_P(Shapes, DecodeToTheirNetworkOrOutcome)
{
    const Shape& shape = GetParam();
    const std::wstring hex = Hex(shape.message);
    ASSERT_EQ(IsWscMessage(hex), shape.firstRecordWsc);
    const WscTag decoded = DecodeWscMessage(hex);
    ASSERT_EQ(OutcomeName(decoded.outcome), OutcomeName(shape.outcome));
    if (shape.outcome != WscOutcome::Usable) return;
    EXPECT_EQ(decoded.network.ssid, shape.ssid);
    EXPECT_EQ(decoded.network.key, shape.key);
    EXPECT_EQ(decoded.network.security, shape.security);
}

INSTANTIATE_TEST_SUITE_P(Format, Shapes, ::testing::ValuesIn(AllShapes()),
                         [](const auto& info) { return std::string(info.param.name); });

const std::string kGoodTag = NdefMessageBytes({sim::UriRecord("https://example.com/"),
                                                WscRecord(WscConfigurationPayload({Credential("Home", "passphrase")}))});

// Cut anywhere, the message no longer ends: nothing of it is used.
TEST(WscMessageBytes, TruncatedAtEveryByteIsMalformed)
{
    for (size_t size = 0; size < kGoodTag.size(); ++size) {
        EXPECT_EQ(OutcomeName(DecodeWscBytes(kGoodTag.substr(0, size)).outcome), OutcomeName(WscOutcome::Malformed))
            << size;
    }
    EXPECT_EQ(OutcomeName(DecodeWscBytes(kGoodTag).outcome), OutcomeName(WscOutcome::Usable));
}

// The record's payload cut anywhere, in a record whose own length fits:
// only a cut between two attributes leaves a message that decodes.
TEST(WscMessageBytes, AttributesTruncatedAtEveryByte)
{
    const std::string version = WscAttribute(0x104A, std::string(1, '\x10'));
    const std::string credential = sim::WscCredential(Credential("Home", "passphrase"));
    const std::string payload = WscConfigurationPayload({Credential("Home", "passphrase")});
    const std::set<size_t> boundaries = {0, version.size(), version.size() + credential.size()};
    for (size_t size = 0; size < payload.size(); ++size) {
        const WscOutcome expected = !boundaries.count(size) ? WscOutcome::Malformed
                                    : size < version.size() + credential.size() ? WscOutcome::NoCredential
                                                                                : WscOutcome::Usable;
        EXPECT_EQ(OutcomeName(DecodeWscBytes(OneRecord(payload.substr(0, size))).outcome), OutcomeName(expected))
            << size;
    }
}

struct BadMessage {
    const char* name;
    std::string message;
};

class BadMessages : public ::testing::TestWithParam<BadMessage> {};

TEST_P(BadMessages, AreMalformed)
{
    EXPECT_EQ(OutcomeName(DecodeWscBytes(GetParam().message).outcome), OutcomeName(WscOutcome::Malformed));
}

std::string WithByte(std::string message, size_t at, char value)
{
    message[at] = value;
    return message;
}

const std::string kOneRecord = Token({Credential("Home", "passphrase")});

INSTANTIATE_TEST_SUITE_P(
    Ndef, BadMessages,
    ::testing::Values(
        BadMessage{"PayloadLengthOneTooLong", WithByte(kOneRecord, 2, static_cast<char>(kOneRecord[2] + 1))},
        BadMessage{"TypeLengthPastTheEnd", WithByte(kOneRecord, 1, '\xFF')},
        BadMessage{"LongLengthOfFourGigabytes",
                   std::string("\xC2\x17\xFF\xFF\xFF\xFF", 6) + sim::kWscMediaType + WscConfigurationPayload({})},
        BadMessage{"IdLengthPastTheEnd", std::string("\xDA\x17\x00\xFF", 4) + sim::kWscMediaType},
        // A chunked record: its first chunk, then the rest.
        BadMessage{"Chunked", std::string("\xB2\x17\x04", 3) + sim::kWscMediaType + std::string("\x10\x4A\x00\x01", 4) +
                                  std::string("\x56\x00\x01\x10", 4)},
        BadMessage{"NoMessageEnd", WithByte(kOneRecord, 0, '\x92')},
        BadMessage{"NoMessageBegin", WithByte(kOneRecord, 0, '\x52')},
        BadMessage{"SecondMessageBegin",
                   NdefMessageBytes({sim::UriRecord("x"), WscRecord("")}).replace(6, 1, 1, '\xD2')}),
    [](const auto& info) { return std::string(info.param.name); });

// The camera's record first, then a standard tag's record.
std::wstring CameraThenWsc()
{
    std::string wsc = NdefMessageBytes({WscRecord(WscConfigurationPayload({Credential("Tag", "passphrase")}))});
    wsc[0] = static_cast<char>(wsc[0] & 0x7F);  // not the message's first record
    const std::wstring camera = test::CameraPayload();
    return camera.substr(0, camera.size() - 6) + Hex(wsc);  // in place of the closing empty record
}

struct Kind {
    const char* name;
    std::wstring text;
    bool standardTag;
};

class MessageKinds : public ::testing::TestWithParam<Kind> {};

// The camera's message keeps its own path; a message is a standard tag
// only by a record of the Wi-Fi Simple Configuration type.
TEST_P(MessageKinds, AreToldApartByTheRecordType)
{
    EXPECT_EQ(IsWscMessage(GetParam().text), GetParam().standardTag);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, MessageKinds,
    ::testing::Values(Kind{"Camera", test::CameraPayload(), false},
                      Kind{"CameraNamedLikeAStandardTag", test::CameraPayload(L"application/vnd.wfa.wsc"), false},
                      Kind{"UriOnly", Hex(NdefMessageBytes({sim::UriRecord("https://example.com/")})), false},
                      Kind{"WscTypeAsAUri", Hex(NdefMessageBytes({NdefRecordFields{3, sim::kWscMediaType, {}, "", false}})),
                           false},
                      Kind{"Empty", L"", false}, Kind{"NotHex", L"hello camera", false},
                      Kind{"OddLength", Hex(kOneRecord) + L"0", false},
                      Kind{"UpperCaseDigits", Upper(Hex(kOneRecord)), true},
                      Kind{"WscRecordCutShort", Hex(kOneRecord.substr(0, 30)), true},
                      Kind{"WscAfterACutRecord", Hex(kGoodTag.substr(0, 4)), false},
                      Kind{"CameraThenWsc", CameraThenWsc(), false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tapdeck
