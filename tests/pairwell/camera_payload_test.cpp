// Decoding the camera's NFC message into network name and passphrase.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "camera_message.h"
#include "camera_payload.h"

using namespace tapdeck;

namespace {

// The 50 characters the decoder skips: header, lengths and type.
const std::wstring kHeader = L"921629" + sim::ToHex("application/x-vexa-kox");

std::wstring Field(const wchar_t* tag, const std::string& value)
{
    wchar_t length[5];
    swprintf_s(length, L"%04x", static_cast<unsigned>(value.size()));
    return std::wstring(tag) + length + sim::ToHex(value);
}

struct Decoded {
    bool ok = false;
    std::wstring ssid;
    std::wstring passphrase;
};

Decoded Decode(const std::wstring& text)
{
    Decoded d;
    d.ok = DecodeCameraPayload(text, d.ssid, d.passphrase);
    return d;
}

TEST(CameraPayload, TagtoolMessageDecodesToItsNetwork)
{
    std::wstring hex;
    ASSERT_TRUE(sim::BuildCameraMessageHex("KOX-CAM-7F3A", "s3cret-pass", hex));
    ASSERT_EQ(kHeader.size(), 50u);
    EXPECT_EQ(hex.substr(0, 6), L"921624");  // header, type length, payload length 0x24
    const Decoded d = Decode(hex);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.ssid, L"KOX-CAM-7F3A");
    EXPECT_EQ(d.passphrase, L"s3cret-pass");
}

TEST(CameraPayload, WorkedExampleTakesFourteenCharacters)
{
    std::wstring remaining = L"1000000361626399";
    std::wstring value;
    ASSERT_TRUE(TakeField(L"1000", remaining, value));
    EXPECT_EQ(value, L"616263");
    EXPECT_EQ(remaining, L"99");
    std::wstring text;
    ASSERT_TRUE(HexToText(value, text));
    EXPECT_EQ(text, L"abc");
}

TEST(CameraPayload, TakeFieldRemovesFromTheFrontWhereverTheTagStood)
{
    std::wstring remaining = L"abcd" + Field(L"1000", "xy");
    std::wstring value;
    ASSERT_TRUE(TakeField(L"1000", remaining, value));
    EXPECT_EQ(value, L"7879");
    // 8 + 4 characters off the front: the field's own tail stays.
    EXPECT_EQ(remaining, L"7879");
}

TEST(CameraPayload, MissingLengthDigitsCountAsMinus48)
{
    bool found = false;
    EXPECT_EQ(ReadFieldLength(L"100000", L"1000", found), 2 * (0 * 4096 + 0 * 256 - 48 * 16 - 48));
    EXPECT_TRUE(found);
    ReadFieldLength(L"abcd", L"1000", found);
    EXPECT_FALSE(found);
}

TEST(CameraPayload, UpperCaseDigitsTakeTheirOwnValues)
{
    bool found = false;
    // 'A' counts as 17.
    EXPECT_EQ(ReadFieldLength(L"1000000A", L"1000", found), 2 * 17);
    std::wstring text;
    ASSERT_TRUE(HexToText(L"4A", text));  // 4 * 16 + 17
    EXPECT_EQ(text, std::wstring(1, wchar_t(0x51)));
}

TEST(CameraPayload, ValueBytesBeyondAsciiAreUtf8WhenTheyCanBe)
{
    std::wstring text;
    ASSERT_TRUE(HexToText(L"c3a9e282ac", text));
    EXPECT_EQ(text, L"\u00e9\u20ac");
    ASSERT_TRUE(HexToText(L"f09f93b7", text));
    EXPECT_EQ(text, L"\U0001F4F7");
    // Not UTF-8 (a lone continuation byte, an overlong form): Latin-1, one
    // character per byte.
    ASSERT_TRUE(HexToText(L"41a942", text));
    EXPECT_EQ(text, L"A\u00a9B");
    ASSERT_TRUE(HexToText(L"c0af", text));
    EXPECT_EQ(text, L"\u00c0\u00af");
}

TEST(CameraPayload, ValueWithANulByteIsRefused)
{
    std::wstring text = L"unchanged";
    EXPECT_FALSE(HexToText(L"410042", text));
    EXPECT_FALSE(HexToText(L"00", text));
}

struct PayloadCase {
    const char* name;
    std::wstring text;
    bool ok;
    std::wstring ssid;
    std::wstring passphrase;
};

class PayloadTable : public ::testing::TestWithParam<PayloadCase> {};

TEST_P(PayloadTable, DecodesOnlyWhatTheRulesGive)
{
    const PayloadCase& c = GetParam();
    const Decoded d = Decode(c.text);
    EXPECT_EQ(d.ok, c.ok);
    if (c.ok) {
        EXPECT_EQ(d.ssid, c.ssid);
        EXPECT_EQ(d.passphrase, c.passphrase);
    }
}

const std::wstring kVersion = Field(L"0001", "\x10");
const std::wstring kWellFormed = kHeader + kVersion + Field(L"1000", "cam") + Field(L"1001", "password");

INSTANTIATE_TEST_SUITE_P(
    Shapes, PayloadTable,
    ::testing::Values(
        PayloadCase{"WellFormed", kWellFormed, true, L"cam", L"password"},
        PayloadCase{"FurtherRecordsIgnored", kWellFormed + L"5100000a" + Field(L"1000", "other"), true, L"cam",
                    L"password"},
        PayloadCase{"Empty", L"", false, {}, {}},
        PayloadCase{"OnlyTheHeader", kHeader, false, {}, {}},
        PayloadCase{"FiftyCharactersOrFewer", kWellFormed.substr(0, 50), false, {}, {}},
        PayloadCase{"NoVersionField", kHeader + Field(L"1000", "cam") + Field(L"1001", "password"), false, {}, {}},
        PayloadCase{"VersionOfLengthZero", kHeader + L"00010000" + Field(L"1000", "cam") + Field(L"1001", "pw"),
                    false, {}, {}},
        PayloadCase{"NoPassphraseField", kHeader + kVersion + Field(L"1000", "cam"), false, {}, {}},
        PayloadCase{"PassphraseOfLengthZero", kHeader + kVersion + Field(L"1000", "cam") + L"10010000", false, {},
                    {}},
        PayloadCase{"LengthCutShortByTheEnd", kHeader + kVersion + Field(L"1000", "cam") + L"100100", false, {},
                    {}},
        PayloadCase{"ValueOfOneDigit", kHeader + kVersion + Field(L"1000", "cam") + L"100100016", false, {}, {}},
        PayloadCase{"OddLengthValueDropsItsLastDigit",
                    kHeader + kVersion + Field(L"1000", "cam") + L"10010003" + L"61626", true, L"cam", L"ab"},
        PayloadCase{"LengthPastTheEndTakesWhatIsThere",
                    kHeader + kVersion + Field(L"1000", "cam") + L"100100ff" + L"616263", true, L"cam", L"abc"},
        PayloadCase{"NonHexLengthIsNegative", kHeader + kVersion + L"1000zzzz616263" + Field(L"1001", "pw"), false,
                    {}, {}},
        PayloadCase{"AnotherFirstRecordMisaligns",
                    L"d1010b55" + sim::ToHex("example.com/xyz!") + kVersion + Field(L"1000", "cam") +
                        Field(L"1001", "password"),
                    false, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CameraPayload, FieldsOutOfOrderAreMisread)
{
    // The removal takes characters off the front, not the field found, so
    // the fields after a displaced one are read from the wrong place: here
    // the name's tag is found across the version field's digits, its length
    // reads as 0x1101 bytes, and the value it runs over holds a NUL byte.
    const Decoded d = Decode(kHeader + Field(L"1000", "cam") + kVersion + Field(L"1001", "password"));
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.ssid, L"");
    EXPECT_EQ(d.passphrase, L"");
}

// An independent reading of the rules, index by index, for the fuzz run.
long RefDigit(const std::wstring& t, size_t i)
{
    if (i >= t.size()) return -48;
    const wchar_t c = t[i];
    return (c & 0xFF) < 'a' ? long(c) - '0' : long(c) - 'a' + 10;
}

bool RefTake(std::wstring& rest, const wchar_t* tag, std::string* bytes)
{
    if (rest.empty()) return false;
    const size_t at = rest.find(tag);
    if (at == std::wstring::npos) return false;
    long n = 0;
    for (int k = 0; k < 4; ++k) n = n * 16 + RefDigit(rest, at + 4 + k);
    n *= 2;
    if (n <= 0 || at + 8 >= rest.size()) return false;
    const std::wstring value = rest.substr(at + 8, size_t(n));
    rest.erase(0, std::min(rest.size(), 8 + value.size()));
    if (bytes) {
        bytes->clear();
        for (size_t i = 0; i + 1 < value.size(); i += 2) {
            bytes->push_back(char((16 * RefDigit(value, i) + RefDigit(value, i + 1)) & 0xFF));
        }
    }
    return true;
}

TEST(CameraPayloadFuzz, HundredThousandHostilePayloadsDecodeOnlyByTheRules)
{
    std::mt19937 random(20261208);
    const std::wstring alphabet = L"0123456789abcdef0123456789abcdefABCDEFxz \x7f\x80\xff\u0100\u4e00";
    std::wstring hex;
    ASSERT_TRUE(sim::BuildCameraMessageHex("CameraNet", "passphrase1", hex));
    const std::wstring seeds[] = {hex, kWellFormed, kHeader + L"0001", kHeader + kVersion + Field(L"1000", "x")};

    int decoded = 0;
    for (int round = 0; round < 100000; ++round) {
        std::wstring text;
        const int shape = round % 4;
        if (shape == 0) {
            // Random text of random length.
            text.resize(random() % 160);
            for (wchar_t& c : text) c = alphabet[random() % alphabet.size()];
        } else if (shape == 1) {
            // Random hex after the header, with the tags sprinkled in.
            text = kHeader;
            const int pieces = random() % 12;
            for (int p = 0; p < pieces; ++p) {
                static const wchar_t* parts[] = {L"0001", L"1000", L"1001", L"0000", L"00ff", L"0002", L"61"};
                text += parts[random() % 7];
            }
        } else {
            // Mutations of valid messages: flips, cuts, insertions.
            text = seeds[random() % 4];
            const int mutations = 1 + random() % 4;
            for (int m = 0; m < mutations && !text.empty(); ++m) {
                const size_t at = random() % text.size();
                switch (random() % 4) {
                case 0: text[at] = alphabet[random() % alphabet.size()]; break;
                case 1: text.resize(at); break;
                case 2: text.insert(at, 1, alphabet[random() % alphabet.size()]); break;
                default: text.erase(at, 1 + random() % 8); break;
                }
            }
        }

        const Decoded d = Decode(text);
        std::wstring rest = text.size() > 50 ? text.substr(50) : L"";
        std::string ssid;
        std::string pass;
        bool expect = RefTake(rest, L"0001", nullptr) && RefTake(rest, L"1000", &ssid) && !ssid.empty() &&
                      RefTake(rest, L"1001", &pass) && !pass.empty();
        // A NUL byte in a value is refused (it cannot be held by a profile).
        if (ssid.find('\0') != std::string::npos || pass.find('\0') != std::string::npos) expect = false;
        ASSERT_EQ(d.ok, expect) << "round " << round;
        if (expect) {
            ++decoded;
            // ASCII values come through one character per byte.
            const bool asciiOnly = std::all_of(ssid.begin(), ssid.end(), [](char c) { return c > 0; });
            if (asciiOnly) {
                ASSERT_EQ(d.ssid, std::wstring(ssid.begin(), ssid.end())) << "round " << round;
            }
            ASSERT_FALSE(d.ssid.empty());
            ASSERT_FALSE(d.passphrase.empty());
            ASSERT_LE(d.passphrase.size(), pass.size());
        }
    }
    // The run exercises the success path too, not only rejections.
    EXPECT_GT(decoded, 1000);
}

}  // namespace
