// The connecting toast against the toast host: what it shows, hiding it,
// and what a click or a dismissal does.
#include <gtest/gtest.h>

#include <roapi.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <thread>

#include "companion_app.h"
#include "res_string.h"
#include "sim_records.h"
#include "toast_presenter.h"

// Freed memory is overwritten and held back for a while before it returns to
// the heap, so that a call through a freed object in this program crashes
// instead of passing unnoticed.
namespace {

constexpr size_t kHeldBack = 512;
SRWLOCK heldBackLock = SRWLOCK_INIT;
void* heldBack[kHeldBack] = {};  // guarded by heldBackLock
size_t nextHeldBack = 0;         // guarded by heldBackLock

}  // namespace

void operator delete(void* block) noexcept
{
    if (!block) return;
    std::memset(block, 0xDD, _msize(block));
    ::AcquireSRWLockExclusive(&heldBackLock);
    void* oldest = heldBack[nextHeldBack];
    heldBack[nextHeldBack] = block;
    nextHeldBack = (nextHeldBack + 1) % kHeldBack;
    ::ReleaseSRWLockExclusive(&heldBackLock);
    std::free(oldest);
}

void operator delete(void* block, std::size_t) noexcept { ::operator delete(block); }

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

size_t CountRecords(const std::wstring& line)
{
    const std::wstring records = Records(L"toast");
    size_t count = 0;
    for (size_t at = records.find(line); at != std::wstring::npos; at = records.find(line, at + 1)) ++count;
    return count;
}

// The user clicks while the connect loop ends: the click's launch is still
// running (a slow activation) when the flow hides the toast and destroys
// the presenter. The platform holds its own reference to the handler and
// lets go of it only after the handler returned, when the presenter may be
// gone. Every click launches once, and nothing touches the freed presenter.
TEST_F(ConnectingToast, ClickStillRunningWhenThePresenterGoesIsSafe)
{
    constexpr int kRounds = 10;
    for (int round = 0; round < kRounds; ++round) {
        unique_event entered(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        unique_event release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ShowConnectingToast(toast, [&] {
            ::SetEvent(entered.get());
            ::WaitForSingleObject(release.get(), 10000);
            ++launches;
        });
        ASSERT_NE(toast, nullptr);
        ASSERT_EQ(Simctl(L"toast-click"), 0);
        ASSERT_EQ(::WaitForSingleObject(entered.get(), 10000), WAIT_OBJECT_0);
        std::thread ending([&] {
            toast->HideToast();
            ::SetEvent(release.get());
            toast.reset();
        });
        ending.join();
        ASSERT_TRUE(test::WaitUntil([&] { return CountRecords(L"handled\tVexa.Quor.Tapdeck\t0x00000000\n") ==
                                                 static_cast<size_t>(round + 1); },
                                    std::chrono::seconds(10)))
            << Records(L"toast");
    }
    EXPECT_EQ(launches, kRounds);
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
