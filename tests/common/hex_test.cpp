// Hexadecimal text: what the radio's buffers, the WLAN profile and the
// stand-ins exchange must read back to the same bytes, and anything that is
// not whole pairs of digits must give no bytes at all.
#include <gtest/gtest.h>

#include <string>

#include "hex.h"

using namespace tapdeck;

namespace {

struct HexText {
    const char* name;
    std::wstring text;
    bool read;
    std::string bytes;
};

class HexRead : public ::testing::TestWithParam<HexText> {};

TEST_P(HexRead, GivesTheBytesOrNone)
{
    std::string bytes = "left over";
    EXPECT_EQ(GetParam().read, FromHex(GetParam().text, bytes));
    EXPECT_EQ(GetParam().bytes, bytes);
}

INSTANTIATE_TEST_SUITE_P(Texts, HexRead,
                         ::testing::Values(HexText{"Empty", L"", true, ""},
                                           HexText{"EitherCase", L"00fFA9", true, std::string("\x00\xff\xa9", 3)},
                                           HexText{"OddLength", L"abc", false, ""},
                                           HexText{"LaterNonDigit", L"00g1", false, ""},
                                           HexText{"WideLookalike", L"0\xff10", false, ""},
                                           HexText{"Blank", L"0 ", false, ""}),
                         [](const auto& info) { return info.param.name; });

TEST(HexWrite, EveryByteReadsBackInEitherCase)
{
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    for (const HexCase letters : {HexCase::Lower, HexCase::Upper}) {
        const std::wstring text = ToHex(all, letters);
        EXPECT_EQ(std::wstring::npos, text.find_first_of(letters == HexCase::Lower ? L"ABCDEF" : L"abcdef"));
        std::string back;
        ASSERT_TRUE(FromHex(text, back));
        EXPECT_EQ(all, back);
    }
}

}  // namespace
