// In the user's language, every text of the agent's windows fits its
// control: a translation that outgrows its layout fails here.
#include <gtest/gtest.h>

#include <string>

#include "agent_messages.h"
#include "main_dlg.h"
#include "support/process.h"
#include "tpd_app.h"
#include "unique_handle.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::test;

namespace {

// The agent's dialog thread, reduced to what the dialog needs.
DWORD WINAPI RunDialog(void* param)
{
    auto* app = static_cast<CTPDApp*>(param);
    CMainDlg dialog(*app);
    if (HWND window = dialog.Create()) {
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (!::IsDialogMessageW(window, &message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
    }
    dialog.ReleaseClassAndFont();
    return 0;
}

// Where the text of a control needs more room than the control has, the
// reason; empty when it fits.
std::wstring Overflow(HWND control)
{
    wchar_t text[512] = {};
    const int length = ::GetWindowTextW(control, text, 512);
    RECT bounds;
    ::GetClientRect(control, &bounds);
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    wchar_t className[16] = {};
    ::GetClassNameW(control, className, 16);
    const bool button = ::lstrcmpiW(className, L"BUTTON") == 0;
    RECT needed{0, 0, bounds.right - (button ? 8 : 0), 0};
    ::DrawTextW(dc, text, length, &needed, DT_CALCRECT | (button ? DT_SINGLELINE : DT_WORDBREAK));
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    const LONG room = bounds.right - (button ? 8 : 0);
    if (needed.right > room || needed.bottom > bounds.bottom) {
        return std::wstring(text) + L": needs " + std::to_wstring(needed.right) + L" x " +
               std::to_wstring(needed.bottom) + L", has " + std::to_wstring(room) + L" x " +
               std::to_wstring(bounds.bottom);
    }
    return {};
}

void ExpectChildrenFit(HWND window)
{
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring overflow = Overflow(child);
        EXPECT_TRUE(overflow.empty()) << std::string(overflow.begin(), overflow.end());
    }
}

TEST(AgentTextsInEveryLanguage, FitTheirControls)
{
    CTPDApp app;
    unique_thread thread(::CreateThread(nullptr, 0, RunDialog, &app, 0, nullptr));
    ASSERT_TRUE(WaitUntil([] { return FindMainDialog() != nullptr; }, 10s));
    HWND dialog = FindMainDialog();
    ExpectChildrenFit(dialog);

    ::PostMessageW(dialog, WM_SYSCOMMAND, IDM_ABOUT_BOX, 0);
    ASSERT_TRUE(WaitUntil([] { return FindAboutBox() != nullptr; }, 10s));
    ExpectChildrenFit(FindAboutBox());

    ::PostMessageW(FindAboutBox(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([] { return FindAboutBox() == nullptr; }, 10s));
    ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.get(), 10000));
}

}  // namespace
