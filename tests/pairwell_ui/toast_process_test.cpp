// The connecting toast against the toast host: what it shows, hiding it,
// and what a click or a dismissal does.
#include <gtest/gtest.h>

#include <roapi.h>

#include <atomic>
#include <memory>

#include "companion_app.h"
#include "res_string.h"
#include "sim_records.h"
#include "toast_presenter.h"

namespace tapdeck::pairwell {
namespace {

using test::Records;
using test::Simctl;
using test::WaitForRecord;

constexpr wchar_t kCompanion[] = L"VexaCorporation.KoxPhotoCompanion_r7tq3m9xk2b4e!App";

std::wstring Text(UINT id)
{
    std::wstring text;
    LoadResString(text, id);
    return text;
}

class ConnectingToast : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ForgetUiRecords();
        initialized_ = SUCCEEDED(::RoInitialize(RO_INIT_MULTITHREADED));
    }
    void TearDown() override
    {
        if (toast) toast->HideToast();
        toast.reset();
        if (initialized_) ::RoUninitialize();
    }

    // The flow's LaunchCompanion, reduced to the activation.
    void Show()
    {
        ShowConnectingToast(toast, [this] {
            launchThread = ::GetCurrentThreadId();
            ActivateCompanionApp(kCompanion);
            ++launches;
        });
    }

    std::unique_ptr<ToastPresenter> toast;
    std::atomic<int> launches{0};
    std::atomic<DWORD> launchThread{0};

private:
    bool initialized_ = false;
};

TEST_F(ConnectingToast, ShowsTheConnectingTextUnderTheAgentsAppId)
{
    Show();
    ASSERT_NE(toast, nullptr);
    EXPECT_NE(Records(L"toast").find(L"shown\tVexa.Quor.Tapdeck\t" + Text(534) + L"\n"), std::wstring::npos)
        << Records(L"toast");
    EXPECT_NE(Records(L"toast").find(L"<binding template=\"ToastText01\"><text id=\"1\">" + Text(534) + L"</text>"),
              std::wstring::npos);
    EXPECT_EQ(Simctl(L"toast-shown"), 0);

    EXPECT_TRUE(toast->HideToast());
    EXPECT_NE(Records(L"toast").find(L"hidden\tVexa.Quor.Tapdeck\n"), std::wstring::npos);
    EXPECT_EQ(Simctl(L"toast-shown"), 1);
    EXPECT_EQ(launches, 0);
}

TEST_F(ConnectingToast, ClickActivatesTheCompanionOnTheToastsThread)
{
    Show();
    ASSERT_EQ(Simctl(L"toast-click"), 0);
    ASSERT_TRUE(WaitForRecord(L"activation", std::wstring(L"activate\t") + kCompanion + L"\t\t0\n"))
        << Records(L"activation");
    EXPECT_TRUE(test::WaitUntil([&] { return launches == 1; }, std::chrono::seconds(5)));
    EXPECT_NE(launchThread.load(), ::GetCurrentThreadId());
    EXPECT_NE(Records(L"toast").find(L"activated\tVexa.Quor.Tapdeck\n"), std::wstring::npos);
    // The flow still hides the toast after its connect loop.
    EXPECT_TRUE(toast->HideToast());
}

TEST_F(ConnectingToast, DismissalStartsNothingAndTheToastStillHides)
{
    Show();
    ASSERT_EQ(Simctl(L"toast-dismiss"), 0);
    EXPECT_TRUE(WaitForRecord(L"toast", L"dismissed\tVexa.Quor.Tapdeck\n"));
    EXPECT_TRUE(toast->HideToast());
    EXPECT_EQ(launches, 0);
    EXPECT_EQ(Records(L"activation"), L"");
}

TEST_F(ConnectingToast, HiddenToastCannotBeClicked)
{
    Show();
    ASSERT_TRUE(toast->HideToast());
    EXPECT_EQ(Simctl(L"toast-click"), 1);
    EXPECT_EQ(launches, 0);
}

TEST_F(ConnectingToast, NothingToHideBeforeShowing)
{
    ToastPresenter presenter(nullptr);
    presenter.appUserModelId = L"Vexa.Quor.Tapdeck";
    EXPECT_FALSE(presenter.HideToast());
}

TEST_F(ConnectingToast, FillsEveryTextOfTheTemplateInOrder)
{
    toast = std::make_unique<ToastPresenter>(nullptr);
    toast->templateType = sdk::ToastTemplateType_ToastText04;
    toast->text1 = L"one <&> \"quoted\"";
    toast->text2 = L"two";
    toast->text3 = L"three";
    toast->appUserModelId = L"Vexa.Quor.Tapdeck";
    ASSERT_EQ(toast->Show(), S_OK);
    EXPECT_NE(Records(L"toast").find(L"shown\tVexa.Quor.Tapdeck\tone <&> \"quoted\"\ttwo\tthree\n"),
              std::wstring::npos)
        << Records(L"toast");
    EXPECT_NE(Records(L"toast").find(L"<text id=\"1\">one &lt;&amp;&gt; &quot;quoted&quot;</text>"),
              std::wstring::npos);
}

}  // namespace
}  // namespace tapdeck::pairwell
