// Every window of the gallery, checked for what a broken layout or an
// outgrown translation would show in its picture: a control pushed out of
// the window, controls on top of each other, a text cut off. The same tests
// run as an English, a German and a Japanese user.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "agent_messages.h"
#include "compare_no_case.h"
#include "dialogs.h"
#include "pairwell_ui/dialog_thread.h"
#include "screen_dpi.h"
#include "tpd_app.h"
#include "windows/main_dialog_thread.h"
#include "write_tag_dlg.h"
#include "support/window_facts.h"
#include "utf8.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::test;
using test::OwnWindowWithProperty;
using test::WaitUntil;

namespace {

// One window of the product, open until the object ends.
class OpenWindow {
public:
    virtual ~OpenWindow() = default;
    HWND Window() const { return window_; }

protected:
    HWND window_ = nullptr;
};

// The agent's main dialog, with the about box opened from its system menu
// when asked; closing the dialog at the end closes the box inside it too.
class AgentWindow : public OpenWindow {
public:
    explicit AgentWindow(bool aboutBox) : dialog_(app_)
    {
        window_ = dialog_.Window();
        if (aboutBox && window_) {
            ::PostMessageW(dialog_.Window(), WM_SYSCOMMAND, IDM_ABOUT_BOX, 0);
            WaitUntil([this] { return (window_ = OwnWindowWithProperty(kAboutBoxProp)) != nullptr; }, 10s);
        }
    }

private:
    CTPDApp app_;
    test::MainDialogThread dialog_;
};

class PairwellWindow : public OpenWindow {
public:
    PairwellWindow(std::function<int(HINSTANCE)> show, const wchar_t* property)
        : run_([show = std::move(show)] { return show(::GetModuleHandleW(nullptr)); })
    {
        window_ = run_.WaitForDialog(property);
    }

private:
    test::DialogThread run_;
};

// The tag writer as "/WriteWifiTag" opens it; with a name refused when
// asked, so that its longest kind of message is on show.
class WriteTagWindow : public OpenWindow {
public:
    explicit WriteTagWindow(bool refused)
        : run_([] {
              CWriteTagDlg dialog(::GetModuleHandleW(nullptr));
              if (dialog.Create()) dialog.RunLoop();
              return 0;
          })
    {
        window_ = run_.WaitForDialog(kWriteTagDialogProp);
        if (refused && window_) ::SendMessageW(window_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

private:
    test::DialogThread run_;
};

struct WindowCase {
    const char* name;
    std::function<std::unique_ptr<OpenWindow>()> open;
    bool drawsIcon;  // the about box draws the product icon in its top-left corner
};

void PrintTo(const WindowCase& window, std::ostream* out) { *out << window.name; }

std::unique_ptr<OpenWindow> Pairwell(int (*show)(HINSTANCE), const wchar_t* property)
{
    return std::make_unique<PairwellWindow>(show, property);
}

std::vector<WindowCase> AllWindows()
{
    return {
        {"MainDialog", [] { return std::make_unique<AgentWindow>(false); }, false},
        {"AboutBox", [] { return std::make_unique<AgentWindow>(true); }, true},
        {"ConnectFailed", [] { return Pairwell(pairwell::ShowConnectFailedDlg, L"Camera WiFiConnectFailDlg prop"); },
         false},
        {"AppNotInstalled",
         [] { return Pairwell(pairwell::ShowKOXNotInstalledDlg, L"Camera KOXNotInstalledDlg prop"); }, false},
        {"WifiOff", [] { return Pairwell(pairwell::ShowPowerOffDlg, L"Camera WiFiPowerOffDlg prop"); }, false},
        {"AlreadyConnected",
         [] {
             return std::make_unique<PairwellWindow>(
                 [](HINSTANCE instance) { return pairwell::ShowConnectedDlg(instance).result; },
                 L"Camera WiFiConnectedDlg prop");
         },
         false},
        {"TagUnsupported",
         [] { return Pairwell(pairwell::ShowTagUnsupportedDlg, L"Pairwell WiFiTagUnsupportedDlg prop"); }, false},
        {"TagEmpty", [] { return Pairwell(pairwell::ShowTagEmptyDlg, L"Pairwell WiFiTagEmptyDlg prop"); }, false},
        {"TagConnectFailed",
         [] { return Pairwell(pairwell::ShowTagConnectFailedDlg, L"Camera WiFiConnectFailDlg prop"); }, false},
        {"TagWifiOff", [] { return Pairwell(pairwell::ShowTagPowerOffDlg, L"Camera WiFiPowerOffDlg prop"); }, false},
        {"WriteTag", [] { return std::make_unique<WriteTagWindow>(false); }, false},
        {"WriteTagNameRefused", [] { return std::make_unique<WriteTagWindow>(true); }, false},
        {"TagAlreadyConnected",
         [] {
             return std::make_unique<PairwellWindow>(
                 [](HINSTANCE instance) { return pairwell::ShowTagConnectedDlg(instance).result; },
                 L"Camera WiFiConnectedDlg prop");
         },
         false},
    };
}

std::string Describe(HWND control)
{
    return "\"" + ToUtf8(WindowText(control)) + "\" (id " + std::to_string(::GetDlgCtrlID(control)) + ")";
}

RECT RectInClient(HWND control, HWND window)
{
    RECT bounds{};
    ::GetWindowRect(control, &bounds);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

// The room a control gives its text: a push button keeps its border and
// focus frame clear, a check box its box and the gap after it.
RECT TextRoom(HWND control)
{
    RECT room{};
    ::GetClientRect(control, &room);
    if (!EqualsNoCase(ClassOf(control), L"BUTTON")) return room;
    const LONG type = ::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX) {
        const int dpi = ScreenDpi::Get().dpiX;
        room.left += ::MulDiv(12, dpi, 96) + 1 + ::MulDiv(4, dpi, 96);
    } else {
        ::InflateRect(&room, -4, -2);
    }
    return room;
}

// The size the control's text needs in its own font, wrapped where the
// control wraps it.
SIZE NeededSize(HWND control, LONG width, bool wraps)
{
    const std::wstring text = WindowText(control);
    RECT needed{0, 0, width, 0};
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
                DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return {needed.right - needed.left, needed.bottom - needed.top};
}

class EveryWindow : public ::testing::TestWithParam<WindowCase> {
protected:
    void SetUp() override
    {
        open_ = GetParam().open();
        ASSERT_TRUE(open_->Window()) << "the window did not open";
        window_ = open_->Window();
    }
    void TearDown() override { open_.reset(); }

    std::unique_ptr<OpenWindow> open_;
    HWND window_ = nullptr;
};

TEST_P(EveryWindow, ControlsLieInsideTheClientArea)
{
    RECT client{};
    ::GetClientRect(window_, &client);
    const std::vector<HWND> controls = ChildWindows(window_);
    ASSERT_FALSE(controls.empty());
    for (HWND control : controls) {
        const RECT r = RectInClient(control, window_);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
            << Describe(control) << " at " << r.left << "," << r.top << "-" << r.right << "," << r.bottom
            << " in a client area of " << client.right << " x " << client.bottom;
        EXPECT_TRUE(r.right > r.left && r.bottom > r.top) << Describe(control) << " has no size";
    }
}

TEST_P(EveryWindow, ControlsAndTheIconDoNotOverlap)
{
    std::vector<std::pair<std::string, RECT>> parts;
    for (HWND control : ChildWindows(window_)) parts.emplace_back(Describe(control), RectInClient(control, window_));
    if (GetParam().drawsIcon) {
        const ScreenDpi& dpi = ScreenDpi::Get();
        const int x = ::MulDiv(22, dpi.dpiX, 96);
        const int y = ::MulDiv(22, dpi.dpiY, 96);
        parts.emplace_back("the icon", RECT{x, y, x + ::MulDiv(48, dpi.dpiX, 96), y + ::MulDiv(48, dpi.dpiY, 96)});
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        for (size_t j = i + 1; j < parts.size(); ++j) {
            RECT common{};
            EXPECT_FALSE(::IntersectRect(&common, &parts[i].second, &parts[j].second))
                << parts[i].first << " and " << parts[j].first << " overlap";
        }
    }
}

TEST_P(EveryWindow, TextsFitTheirControls)
{
    for (HWND control : ChildWindows(window_)) {
        // Statics wrap at their width; buttons and check boxes hold one line.
        const bool wraps = EqualsNoCase(ClassOf(control), L"STATIC");
        const RECT room = TextRoom(control);
        const LONG width = room.right - room.left;
        const LONG height = room.bottom - room.top;
        const SIZE needed = NeededSize(control, width, wraps);
        EXPECT_TRUE(needed.cx <= width && needed.cy <= height)
            << Describe(control) << " needs " << needed.cx << " x " << needed.cy << ", has " << width << " x "
            << height;
    }
}

INSTANTIATE_TEST_SUITE_P(Gallery, EveryWindow, ::testing::ValuesIn(AllWindows()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
