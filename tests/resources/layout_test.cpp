// Layout strings and the arithmetic that places windows from them.
#include <gtest/gtest.h>

#include <string>

#include "placement.h"

using namespace tapdeck;

namespace {

struct ParseCase {
    const wchar_t* text;
    Layout expected;
};

class LayoutParsing : public ::testing::TestWithParam<ParseCase> {};

TEST_P(LayoutParsing, ReadsFourFieldsLikeWtoi)
{
    const Layout layout = ParseLayout(GetParam().text);
    const Layout& expected = GetParam().expected;
    EXPECT_EQ(expected.x, layout.x);
    EXPECT_EQ(expected.y, layout.y);
    EXPECT_EQ(expected.w, layout.w);
    EXPECT_EQ(expected.h, layout.h);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, LayoutParsing,
    ::testing::Values(ParseCase{L"10,20,100,30", {10, 20, 100, 30}},
                      ParseCase{L"1,2,3", {1, 2, 3, 0}},
                      ParseCase{L",,5,,6,,,7,8", {5, 6, 7, 8}},
                      ParseCase{L" 7, -3,\t+4, 9 ", {7, -3, 4, 9}},
                      ParseCase{L"12px,5x,-,x9", {12, 5, 0, 0}},
                      ParseCase{L"", {0, 0, 0, 0}},
                      ParseCase{L",,,", {0, 0, 0, 0}},
                      ParseCase{L"1,2,3,4,5", {1, 2, 3, 4}},
                      ParseCase{L"99999999999,-99999999999,2147483647,-2147483648",
                                {2147483647, -2147483647 - 1, 2147483647, -2147483647 - 1}}));

TEST(LayoutScaling, At120DpiRoundsHalvesUp)
{
    const RECT scaled = ScaleLayout(Layout{10, 20, 100, 30}, ScreenDpi{120, 120});
    EXPECT_EQ(13, scaled.left);
    EXPECT_EQ(25, scaled.top);
    EXPECT_EQ(125, scaled.right);   // width
    EXPECT_EQ(38, scaled.bottom);   // height
}

TEST(LayoutScaling, At144DpiTheAboutIconIsSeventyTwoPixels)
{
    const RECT scaled = ScaleLayout(Layout{22, 22, 48, 48}, ScreenDpi{144, 144});
    EXPECT_EQ(33, scaled.left);
    EXPECT_EQ(33, scaled.top);
    EXPECT_EQ(72, scaled.right);
    EXPECT_EQ(72, scaled.bottom);
}

TEST(LayoutScaling, AxesScaleIndependently)
{
    const RECT scaled = ScaleLayout(Layout{96, 96, 96, 96}, ScreenDpi{192, 144});
    EXPECT_EQ(192, scaled.left);
    EXPECT_EQ(144, scaled.top);
    EXPECT_EQ(192, scaled.right);
    EXPECT_EQ(144, scaled.bottom);
}

struct CenterCase {
    const char* name;
    int width, height;
    RECT centring, area;
    POINT expected;
};

class Centring : public ::testing::TestWithParam<CenterCase> {};

TEST_P(Centring, CentresThenPullsBackInsideTheArea)
{
    const CenterCase& c = GetParam();
    const POINT topLeft = CenterInArea(c.width, c.height, c.centring, c.area);
    EXPECT_EQ(c.expected.x, topLeft.x);
    EXPECT_EQ(c.expected.y, topLeft.y);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Centring,
    ::testing::Values(
        CenterCase{"OnWorkArea", 200, 100, {0, 0, 1024, 728}, {0, 0, 1024, 728}, {412, 314}},
        // Odd sizes: each half truncates toward zero.
        CenterCase{"OddSizes", 201, 101, {0, 0, 1023, 727}, {0, 0, 1024, 728}, {411, 313}},
        CenterCase{"OnOwner", 100, 50, {100, 100, 300, 200}, {0, 0, 1024, 728}, {150, 125}},
        CenterCase{"OwnerNearRightEdge", 300, 100, {900, 100, 1020, 200}, {0, 0, 1024, 728}, {724, 100}},
        CenterCase{"OwnerAboveTheTop", 300, 100, {100, -200, 300, -100}, {0, 0, 1024, 728}, {50, 0}},
        CenterCase{"TallerThanTheArea", 300, 900, {0, 0, 1024, 728}, {0, 0, 1024, 728}, {362, 0}},
        CenterCase{"LargerThanTheArea", 2000, 900, {0, 0, 1024, 728}, {0, 0, 1024, 728}, {0, 0}},
        CenterCase{"SecondMonitor", 200, 100, {1024, 40, 2048, 768}, {1024, 40, 2048, 768}, {1436, 354}},
        CenterCase{"LargerThanASecondMonitor", 1200, 900, {1024, 40, 2048, 768}, {1024, 40, 2048, 768},
                   {1024, 40}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
