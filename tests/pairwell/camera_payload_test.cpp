// Decoding the camera's NFC message into network name and passphrase.
#include <gtest/gtest.h>

#include <string>

#include "camera_message.h"
#include "hex.h"
#include "camera_payload.h"

using namespace tapdeck;

namespace {

// The 50 characters the decoder skips: header, lengths and type.
const std::wstring kHeader = L"921629" + tapdeck::ToHex("application/x-vexa-kox");

std::wstring Field(const wchar_t* tag, const std::string& value)
{
    wchar_t length[5];
    swprintf_s(length, L"%04x", static_cast<unsigned>(value.size()));
    return std::wstring(tag) + length + tapdeck::ToHex(value);
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
                    L"d1010b55" + tapdeck::ToHex("example.com/xyz!") + kVersion + Field(L"1000", "cam") +
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

}  // namespace
