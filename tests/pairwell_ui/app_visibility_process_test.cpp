// An open dialog follows the Windows 8 app visibility: it is re-centred when
// the desktop is covered by the Start screen or a Store app, and again when
// it shows; other changes leave it where it is.
#include <gtest/gtest.h>

#include "dialog_thread.h"
#include "dialogs.h"
#include "sim_records.h"
#include "unique_handle.h"

namespace tapdeck::pairwell {
namespace {

using test::Records;
using test::Simctl;
using test::WaitForRecord;
using test::WaitUntil;

const std::wstring kChangedEvent = L"Local\\TapdeckSimAppVisibility.Changed." + std::to_wstring(::GetCurrentProcessId());

RECT WindowRect(HWND window)
{
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

bool InCorner(HWND window)
{
    const RECT rect = WindowRect(window);
    return rect.left == 0 && rect.top == 0;
}

void MoveToCorner(HWND window)
{
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

class AppVisibility : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ForgetUiRecords();
        run = std::make_unique<test::DialogThread>([] { return ShowConnectFailedDlg(::GetModuleHandleW(nullptr)); });
        dialog = run->WaitForDialog(L"Camera WiFiConnectFailDlg prop");
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(WaitForRecord(L"appvisibility", L"advise\t")) << Records(L"appvisibility");
        ASSERT_TRUE(WaitUntil([] { return unique_event(::OpenEventW(SYNCHRONIZE, FALSE, kChangedEvent.c_str())).get(); },
                              std::chrono::seconds(5)));
    }

    // Changes the visibility and waits until the dialog has handled it.
    void Change(const wchar_t* launcherAndMode, const wchar_t* record)
    {
        MoveToCorner(dialog);
        ASSERT_TRUE(InCorner(dialog));
        ASSERT_EQ(Simctl(std::wstring(L"appvis-set ") + launcherAndMode), 0);
        ASSERT_TRUE(WaitForRecord(L"appvisibility", record)) << Records(L"appvisibility");
        run->Drain(::GetDlgItem(dialog, 1));
    }

    std::unique_ptr<test::DialogThread> run;
    HWND dialog = nullptr;
};

TEST_F(AppVisibility, StartScreenOpenedAndClosedRecentresTwice)
{
    Change(L"1 1", L"notify\tlauncher\t1\n");
    EXPECT_FALSE(InCorner(dialog));
    Change(L"0 1", L"notify\tlauncher\t0\n");
    EXPECT_FALSE(InCorner(dialog));
}

TEST_F(AppVisibility, StoreAppCoveringAndLeavingRecentres)
{
    Change(L"0 2", L"notify\tmonitor\t1\t2\n");
    EXPECT_FALSE(InCorner(dialog));
    Change(L"0 1", L"notify\tmonitor\t2\t1\n");
    EXPECT_FALSE(InCorner(dialog));
}

TEST_F(AppVisibility, ChangeBetweenCoveredStatesLeavesTheDialog)
{
    Change(L"0 2", L"notify\tmonitor\t1\t2\n");
    // From a Store app to the Start screen: the desktop stays covered.
    Change(L"1 2", L"notify\tlauncher\t1\n");
    EXPECT_TRUE(InCorner(dialog));
    // From the Start screen to an unknown state: still not the desktop.
    Change(L"0 0", L"notify\tmonitor\t2\t0\n");
    EXPECT_TRUE(InCorner(dialog));
}

TEST_F(AppVisibility, ClosingTheDialogEndsTheSubscription)
{
    ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    ASSERT_EQ(run->WaitForResult(), 0);
    EXPECT_NE(Records(L"appvisibility").find(L"unadvise\t"), std::wstring::npos);
}

}  // namespace
}  // namespace tapdeck::pairwell
