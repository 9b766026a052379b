// Windows sized and centred from layout strings of the test program's own
// language file (ids 64 to 67).
#include <gtest/gtest.h>

#include "force_foreground.h"
#include "placement.h"
#include "unique_handle.h"

using namespace tapdeck;

namespace {

constexpr UINT kDialogLayout = 64;      // 0,0,200,100
constexpr UINT kHugeLayout = 65;        // 0,0,5000,4000
constexpr UINT kControlLayout = 66;     // 7,9,50,20
constexpr UINT kWideLayout = 67;        // 0,0,320,60
constexpr UINT kMissingLayout = 48;

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

const wchar_t* TestClass()
{
    static const ATOM atom = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"PlacementTestWnd";
        return ::RegisterClassExW(&windowClass);
    }();
    return atom ? L"PlacementTestWnd" : nullptr;
}

unique_hwnd MakeWindow(DWORD style, HWND owner, RECT bounds = {0, 0, 300, 200})
{
    return unique_hwnd(::CreateWindowExW(0, TestClass(), L"test", style, bounds.left, bounds.top,
                                         bounds.right - bounds.left, bounds.bottom - bounds.top, owner, nullptr,
                                         ::GetModuleHandleW(nullptr), nullptr));
}

RECT WorkAreaNearest(HWND window)
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

RECT WindowRect(HWND window)
{
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    return bounds;
}

int Scaled(int value, int dpi) { return ::MulDiv(value, dpi, 96); }

LONG MidX(const RECT& r) { return (r.left + r.right) / 2; }
LONG MidY(const RECT& r) { return (r.top + r.bottom) / 2; }

TEST(PlaceWindow, ClientAreaMatchesTheLayoutAtTheScreenDpi)
{
    unique_hwnd dialog = MakeWindow(kDialogStyle, nullptr);
    ASSERT_TRUE(dialog);
    PlaceWindow(dialog.get(), kDialogLayout);
    RECT client;
    ASSERT_TRUE(::GetClientRect(dialog.get(), &client));
    EXPECT_EQ(Scaled(200, ScreenDpi::Get().dpiX), client.right);
    EXPECT_EQ(Scaled(100, ScreenDpi::Get().dpiY), client.bottom);
}

TEST(PlaceWindow, CentresOnAVisibleOwner)
{
    unique_hwnd owner = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, {100, 120, 600, 480});
    unique_hwnd dialog = MakeWindow(kDialogStyle, owner.get());
    ASSERT_TRUE(owner && dialog);
    PlaceWindow(dialog.get(), kDialogLayout);
    const RECT placed = WindowRect(dialog.get());
    const RECT ownerRect = WindowRect(owner.get());
    EXPECT_EQ(MidX(ownerRect) - (placed.right - placed.left) / 2, placed.left);
    EXPECT_EQ(MidY(ownerRect) - (placed.bottom - placed.top) / 2, placed.top);
}

class HiddenOwner : public ::testing::TestWithParam<int> {};

TEST_P(HiddenOwner, CentresOnTheWorkAreaInstead)
{
    unique_hwnd owner = MakeWindow(WS_OVERLAPPEDWINDOW, nullptr, {0, 0, 300, 200});
    ASSERT_TRUE(owner);
    ::ShowWindow(owner.get(), GetParam());
    unique_hwnd dialog = MakeWindow(kDialogStyle, owner.get());
    ASSERT_TRUE(dialog);
    PlaceWindow(dialog.get(), kDialogLayout);
    const RECT placed = WindowRect(dialog.get());
    const RECT work = WorkAreaNearest(dialog.get());
    EXPECT_EQ(MidX(work) - (placed.right - placed.left) / 2, placed.left);
    EXPECT_EQ(MidY(work) - (placed.bottom - placed.top) / 2, placed.top);
}

INSTANTIATE_TEST_SUITE_P(States, HiddenOwner, ::testing::Values(SW_HIDE, SW_SHOWMINIMIZED));

TEST(PlaceWindow, WindowLargerThanTheWorkAreaSitsAtItsTopLeft)
{
    unique_hwnd dialog = MakeWindow(kDialogStyle, nullptr);
    ASSERT_TRUE(dialog);
    PlaceWindow(dialog.get(), kHugeLayout);
    const RECT placed = WindowRect(dialog.get());
    const RECT work = WorkAreaNearest(dialog.get());
    EXPECT_EQ(work.left, placed.left);
    EXPECT_EQ(work.top, placed.top);
    EXPECT_GT(placed.right - placed.left, work.right - work.left);
}

TEST(PlaceWindow, MissingLayoutLeavesTheWindowAlone)
{
    unique_hwnd dialog = MakeWindow(kDialogStyle, nullptr, {10, 20, 110, 70});
    ASSERT_TRUE(dialog);
    const RECT before = WindowRect(dialog.get());
    PlaceWindow(dialog.get(), kMissingLayout);
    PlaceControl(dialog.get(), kMissingLayout);
    const RECT after = WindowRect(dialog.get());
    EXPECT_TRUE(::EqualRect(&before, &after));
}

TEST(PlaceControl, PositionsAChildInItsParentsClientArea)
{
    unique_hwnd dialog = MakeWindow(kDialogStyle, nullptr);
    ASSERT_TRUE(dialog);
    PlaceWindow(dialog.get(), kWideLayout);
    HWND child = ::CreateWindowExW(0, L"STATIC", L"text", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, dialog.get(), nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(child);
    PlaceControl(child, kControlLayout);
    RECT bounds = WindowRect(child);
    ::MapWindowPoints(nullptr, dialog.get(), reinterpret_cast<POINT*>(&bounds), 2);
    const ScreenDpi& dpi = ScreenDpi::Get();
    EXPECT_EQ(Scaled(7, dpi.dpiX), bounds.left);
    EXPECT_EQ(Scaled(9, dpi.dpiY), bounds.top);
    EXPECT_EQ(Scaled(50, dpi.dpiX), bounds.right - bounds.left);
    EXPECT_EQ(Scaled(20, dpi.dpiY), bounds.bottom - bounds.top);
}

TEST(CenterWindow, KeepsTheSizeAndCentresOnTheWorkArea)
{
    unique_hwnd dialog = MakeWindow(kDialogStyle, nullptr, {3, 5, 243, 135});
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(CenterWindow(dialog.get()));
    const RECT placed = WindowRect(dialog.get());
    const RECT work = WorkAreaNearest(dialog.get());
    EXPECT_EQ(240, placed.right - placed.left);
    EXPECT_EQ(130, placed.bottom - placed.top);
    EXPECT_EQ(MidX(work) - 120, placed.left);
    EXPECT_EQ(MidY(work) - 65, placed.top);
}

TEST(CenterWindow, CentresAChildInItsParent)
{
    unique_hwnd parent = MakeWindow(kDialogStyle, nullptr, {0, 0, 400, 300});
    ASSERT_TRUE(parent);
    HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 40, 20, parent.get(), nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(CenterWindow(child));
    RECT client;
    ::GetClientRect(parent.get(), &client);
    RECT bounds = WindowRect(child);
    ::MapWindowPoints(nullptr, parent.get(), reinterpret_cast<POINT*>(&bounds), 2);
    EXPECT_EQ(client.right / 2 - 20, bounds.left);
    EXPECT_EQ(client.bottom / 2 - 10, bounds.top);
}

TEST(CenterWindow, FailsForSomethingThatIsNoWindow)
{
    EXPECT_FALSE(CenterWindow(nullptr));
}

TEST(ForceForeground, RefusesANullWindow)
{
    EXPECT_FALSE(ForceForeground(nullptr));
}

}  // namespace
