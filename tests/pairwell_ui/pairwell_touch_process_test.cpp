// A camera touch through the installed Pairwell, seen from the user's side:
// the Wi-Fi-off text a location selects, and a click on the connecting toast.
#include <gtest/gtest.h>

#include "res_string.h"
#include "shared_info.h"
#include "sim_records.h"

namespace tapdeck::pairwell {
namespace {

using namespace std::chrono_literals;
using test::Records;
using test::Simctl;
using test::WaitForRecord;
using test::WaitUntil;

// tagtool CamNet secret123
constexpr wchar_t kCameraPayload[] =
    L"92161c6170706c69636174696f6e2f782d766578612d6b6f7800010001101000000643616d4e657410010009736563726574313233500000";
constexpr wchar_t kCompanion[] = L"VexaCorporation.KoxPhotoCompanion_r7tq3m9xk2b4e!App";

std::wstring Text(UINT id)
{
    std::wstring text;
    LoadResString(text, id);
    return text;
}

class CameraTouch : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ForgetUiRecords();
        ASSERT_EQ(Simctl(L"wlan-reset"), 0);
        ASSERT_EQ(Simctl(L"wlan-network CamNet secret123"), 0);
    }
    void TearDown() override
    {
        if (pairwell_ && test::WaitForExit(pairwell_.get(), 0ms) < 0) {
            test::RunProgram(test::InstalledPath(L"Pairwell.exe"), L"/HaltAll");
            test::WaitForExit(pairwell_.get(), 20s);
        }
        Simctl(L"wlan-reset");
    }
    void Start()
    {
        pairwell_ = test::StartProgram(test::InstalledPath(L"Pairwell.exe"), kCameraPayload);
        ASSERT_TRUE(pairwell_);
    }
    long Exit() { return test::WaitForExit(pairwell_.get(), 30s); }

    unique_handle pairwell_;
};

TEST_F(CameraTouch, WifiOffAtTheLocationShowsItsUsEnglishText)
{
    test::SharedInfo location(test::Value{5388}, {});
    ASSERT_EQ(Simctl(L"wlan-radio off"), 0);
    Start();
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = test::FindWindowWithProperty(L"Camera WiFiPowerOffDlg prop")); },
                          20s));
    wchar_t text[512] = {};
    ::GetWindowTextW(::FindWindowExW(dialog, nullptr, L"Static", nullptr), text, 512);
    EXPECT_EQ(std::wstring(text), Text(535));
    ASSERT_EQ(Simctl(L"dialog-press 1"), 0);
    EXPECT_EQ(Exit(), 0);
    EXPECT_EQ(Records(L"toast"), L"");
    EXPECT_EQ(Records(L"activation"), L"");
}

TEST_F(CameraTouch, ClickOnTheToastStartsTheCompanionBeforeTheConnectionIsMade)
{
    ASSERT_EQ(Simctl(L"wlan-delay 3000"), 0);
    Start();
    ASSERT_TRUE(WaitUntil([] { return Simctl(L"toast-shown") == 0; }, 20s)) << Records(L"toast");
    ASSERT_EQ(Simctl(L"toast-click"), 0);
    const std::wstring activation = std::wstring(L"activate\t") + kCompanion + L"\t\t0\n";
    ASSERT_TRUE(WaitForRecord(L"activation", activation));
    // Still connecting: the toast has not been hidden yet.
    EXPECT_EQ(Records(L"toast").find(L"hidden\t"), std::wstring::npos) << Records(L"toast");
    EXPECT_EQ(Exit(), 0);
    // The connection then succeeds and the companion is activated once more.
    EXPECT_TRUE(WaitForRecord(L"toast", L"hidden\tVexa.Quor.Tapdeck\n"));
    const std::wstring all = Records(L"activation");
    EXPECT_NE(all.find(activation, all.find(activation) + 1), std::wstring::npos) << all;
}

}  // namespace
}  // namespace tapdeck::pairwell
