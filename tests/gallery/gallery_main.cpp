// gallery.exe FOLDER: opens every window of the agent and of Pairwell in the
// user's UI language, one after the other, and saves a picture of each as
// FOLDER\<window>-<language>.png. The agent runs here as in Tapdeck.exe,
// started by hand; Pairwell's dialogs run as its connection flow runs them.
#include <windows.h>
#include <roapi.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <utility>

#include "agent_messages.h"
#include "capture.h"
#include "dialogs.h"
#include "pairwell_ui/dialog_thread.h"
#include "support/process.h"
#include "tpd_app.h"
#include "write_tag_dlg.h"

using namespace std::chrono_literals;
using namespace tapdeck;

namespace {

std::wstring UiLanguage()
{
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (!::LCIDToLocaleName(MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0))
        return L"unknown";
    return name;
}

class Gallery {
public:
    Gallery(std::wstring folder, std::wstring language) : folder_(std::move(folder)), language_(std::move(language)) {}

    void Save(const wchar_t* name, HWND window)
    {
        const std::wstring path = folder_ + L"\\" + name + L"-" + language_ + L".png";
        if (window && gallery::SaveWindowPicture(window, path)) {
            std::wprintf(L"%ls\n", path.c_str());
        } else {
            std::fwprintf(stderr, L"gallery: no picture of %ls in %ls\n", name, language_.c_str());
            failed_ = true;
        }
        std::fflush(stdout);
    }
    bool Failed() const { return failed_; }

private:
    std::wstring folder_;
    std::wstring language_;
    bool failed_ = false;
};

// Tapdeck started by hand: its main dialog, then the about box from the
// system menu. Both are closed with OK; then the agent window is closed, as
// /HaltAll closes it.
void AgentWindows(Gallery& gallery)
{
    std::thread agent([] {
        const HRESULT init = ::RoInitialize(RO_INIT_MULTITHREADED);
        CTPDApp app;
        if (app.StartAgent(::GetModuleHandleW(nullptr), L"")) app.RunMessageLoop();
        app.Shutdown();
        if (SUCCEEDED(init)) ::RoUninitialize();
    });
    test::WaitUntil([] { return FindMainDialog() != nullptr; }, 20s);
    HWND dialog = FindMainDialog();
    gallery.Save(L"main-dialog", dialog);
    if (dialog) {
        ::PostMessageW(dialog, WM_SYSCOMMAND, IDM_ABOUT_BOX, 0);
        test::WaitUntil([] { return FindAboutBox() != nullptr; }, 10s);
        gallery.Save(L"about-box", FindAboutBox());
        // Closed as the user closes them, so that the dialog thread has ended
        // before the agent and its application object go.
        if (HWND about = FindAboutBox()) ::PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        test::WaitUntil([] { return FindAboutBox() == nullptr; }, 10s);
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        test::WaitUntil([] { return FindMainDialog() == nullptr; }, 10s);
    }
    test::WaitUntil([] { return FindAgentWindow() != nullptr; }, 10s);
    if (HWND window = FindAgentWindow()) ::PostMessageW(window, WM_CLOSE, 0, 0);
    agent.join();
}

// "Tapdeck.exe /WriteWifiTag": the tag writer as it opens, then with the
// name it refuses (nothing typed) named in it.
void WriteTagDialog(Gallery& gallery)
{
    test::DialogThread run([] {
        CWriteTagDlg dialog(::GetModuleHandleW(nullptr));
        if (dialog.Create()) dialog.RunLoop();
        return 0;
    });
    HWND window = run.WaitForDialog(kWriteTagDialogProp);
    gallery.Save(L"write-wifi-tag", window);
    if (!window) return;
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    gallery.Save(L"write-wifi-tag-refused", window);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    run.WaitForResult();
}

struct PairwellDialog {
    const wchar_t* name;
    const wchar_t* property;
    std::function<int(HINSTANCE)> show;
};

void PairwellDialogs(Gallery& gallery)
{
    const PairwellDialog dialogs[] = {
        {L"connect-failed", L"Camera WiFiConnectFailDlg prop", pairwell::ShowConnectFailedDlg},
        {L"app-not-installed", L"Camera KOXNotInstalledDlg prop", pairwell::ShowKOXNotInstalledDlg},
        {L"wifi-off", L"Camera WiFiPowerOffDlg prop", pairwell::ShowPowerOffDlg},
        {L"already-connected", L"Camera WiFiConnectedDlg prop",
         [](HINSTANCE instance) { return pairwell::ShowConnectedDlg(instance).result; }},
        {L"wifi-tag-unsupported", L"Pairwell WiFiTagUnsupportedDlg prop", pairwell::ShowTagUnsupportedDlg},
        {L"wifi-tag-empty", L"Pairwell WiFiTagEmptyDlg prop", pairwell::ShowTagEmptyDlg},
        {L"wifi-tag-connect-failed", L"Camera WiFiConnectFailDlg prop", pairwell::ShowTagConnectFailedDlg},
        {L"wifi-tag-wifi-off", L"Camera WiFiPowerOffDlg prop", pairwell::ShowTagPowerOffDlg},
        {L"wifi-tag-already-connected", L"Camera WiFiConnectedDlg prop",
         [](HINSTANCE instance) { return pairwell::ShowTagConnectedDlg(instance).result; }},
    };
    for (const PairwellDialog& d : dialogs) {
        test::DialogThread run([&d] { return d.show(::GetModuleHandleW(nullptr)); });
        HWND window = run.WaitForDialog(d.property);
        gallery.Save(d.name, window);
        if (window) ::PostMessageW(window, WM_CLOSE, 0, 0);
        run.WaitForResult();
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: gallery.exe FOLDER\n");
        return 2;
    }
    Gallery gallery(argv[1], UiLanguage());
    AgentWindows(gallery);
    WriteTagDialog(gallery);
    PairwellDialogs(gallery);
    return gallery.Failed() ? 1 : 0;
}
