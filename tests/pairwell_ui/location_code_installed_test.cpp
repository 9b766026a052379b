// The location code under "Shared Info" and the Wi-Fi-off text it selects.
// (Process tests: Pairwell runs elsewhere read the same machine key.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "dialog_thread.h"
#include "dialogs.h"
#include "location_code.h"
#include "res_string.h"
#include "shared_info.h"

namespace tapdeck::pairwell {
namespace {

using test::SharedInfo;
using test::Value;

struct LocationCase {
    const char* name;
    Value location;
    Value subLocation;
    DWORD code;
};

class LocationCode : public ::testing::TestWithParam<LocationCase> {};

TEST_P(LocationCode, IsReadFromSharedInfo)
{
    SharedInfo info(GetParam().location, GetParam().subLocation);
    EXPECT_EQ(ReadLocationCode(), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Pairwell, LocationCode,
    ::testing::Values(LocationCase{"Missing", {}, {}, 0},
                      LocationCase{"Plain", {5388}, {}, 5388},
                      LocationCase{"PlainIgnoresSubcode", {5388}, {2032}, 5388},
                      LocationCase{"SubcodeReplacesIt", {2031}, {2032}, 2032},
                      LocationCase{"OtherSubcodeKeepsIt", {2031}, {2033}, 2031},
                      LocationCase{"NoSubcodeKeepsIt", {2031}, {}, 2031},
                      LocationCase{"SubcodeAsTextKeepsIt", {2031}, {std::nullopt, L"2032"}, 2031},
                      LocationCase{"LocationAsTextIsUnreadable", {std::nullopt, L"5388"}, {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The language LC_ALL gives this run (en_US or de_DE).
LANGID ExpectedUiLanguage()
{
    const char* locale = std::getenv("LC_ALL");
    return locale && std::string(locale).rfind("de_DE", 0) == 0 ? 0x0407 : 0x0409;
}

std::wstring Text(UINT id)
{
    std::wstring text;
    LoadResString(text, id);
    return text;
}

std::wstring MessageOf(HWND dialog)
{
    HWND message = ::FindWindowExW(dialog, nullptr, L"Static", nullptr);
    wchar_t text[512] = {};
    ::GetWindowTextW(message, text, 512);
    return text;
}

// Run once under en_US and once under de_DE (a ctest entry of its own).
TEST(PowerOffText, LocationCodeSelectsTheUsEnglishText)
{
    ASSERT_EQ(::GetUserDefaultUILanguage(), ExpectedUiLanguage());
    const bool usEnglish = ExpectedUiLanguage() == 0x0409;
    for (DWORD location : {5388u, 2031u, 0u}) {
        SCOPED_TRACE(location);
        SharedInfo info(Value{location}, {});
        test::DialogThread run([] { return ShowPowerOffDlg(::GetModuleHandleW(nullptr)); });
        HWND dialog = run.WaitForDialog(L"Camera WiFiPowerOffDlg prop");
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(MessageOf(dialog), Text(location == 5388 && usEnglish ? 535 : 520));
        EXPECT_FALSE(MessageOf(dialog).empty());
    }
}

}  // namespace
}  // namespace tapdeck::pairwell
