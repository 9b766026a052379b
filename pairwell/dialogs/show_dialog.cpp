// How the flow shows each dialog: construct from its table, Create, RunModal
// (or Destroy when Create failed), read the result.
#include "../dialogs.h"
#include "../location_code.h"
#include "resource_ids.h"
#include "single_button_dlg.h"
#include "strings/pairwell_strings.h"
#include "wf_connected_dlg.h"

namespace tapdeck::pairwell {
namespace {

// The dialogs with one button: the button, which has the focus, then the
// message.
constexpr ControlEntry Button(UINT text, UINT layout)
{
    return {ControlKind::DefaultPushButton, text, layout, CSingleButtonDlg::kButtonId};
}
constexpr ControlEntry Message(UINT text, UINT layout) { return {ControlKind::Message, text, layout, 0}; }

// Companion app not installed: its button asks for the app's Store page.
constexpr ControlEntry kNotInstalledControls[] = {Button(IDS_NOT_INSTALLED_BUTTON, IDS_NOT_INSTALLED_BUTTON_LAYOUT),
                                                  Message(IDS_NOT_INSTALLED_TEXT, IDS_NOT_INSTALLED_TEXT_LAYOUT)};
constexpr DialogTable kNotInstalled{L"KOXNotInstalledDlgWnd", kNotInstalledDlgProp, IDS_NOT_INSTALLED_LAYOUT,
                                    kNotInstalledControls, 0};

constexpr ControlEntry kConnectFailedControls[] = {Button(IDS_PAIRWELL_OK_BUTTON, IDS_CONNECT_FAILED_BUTTON_LAYOUT),
                                                   Message(IDS_CONNECT_FAILED_TEXT, IDS_CONNECT_FAILED_TEXT_LAYOUT)};
constexpr DialogTable kConnectFailed{L"WiFiConnectFailDlgWnd", kConnectFailedDlgProp, IDS_CONNECT_FAILED_LAYOUT,
                                     kConnectFailedControls, 0};

constexpr ControlEntry kPowerOffControls[] = {Button(IDS_PAIRWELL_OK_BUTTON, IDS_POWER_OFF_BUTTON_LAYOUT),
                                              Message(IDS_POWER_OFF_TEXT, IDS_POWER_OFF_TEXT_LAYOUT)};
constexpr DialogTable kPowerOff{L"WiFiPowerOffDlgWnd", kPowerOffDlgProp, IDS_POWER_OFF_LAYOUT, kPowerOffControls, 0};

// A standard Wi-Fi tag whose networks are all of a kind this PC cannot join
// (WEP, shared key, enterprise).
constexpr ControlEntry kTagUnsupportedControls[] = {
    Button(IDS_PAIRWELL_OK_BUTTON, IDS_TAG_UNSUPPORTED_BUTTON_LAYOUT),
    Message(IDS_TAG_UNSUPPORTED_TEXT, IDS_TAG_UNSUPPORTED_TEXT_LAYOUT)};
constexpr DialogTable kTagUnsupported{L"WiFiTagUnsupportedDlgWnd", kTagUnsupportedDlgProp,
                                      IDS_TAG_UNSUPPORTED_LAYOUT, kTagUnsupportedControls, 0};

// A standard Wi-Fi tag with no network settings at all (a password token, a
// connection handover message).
constexpr ControlEntry kTagEmptyControls[] = {Button(IDS_PAIRWELL_OK_BUTTON, IDS_TAG_EMPTY_BUTTON_LAYOUT),
                                              Message(IDS_TAG_EMPTY_TEXT, IDS_TAG_EMPTY_TEXT_LAYOUT)};
constexpr DialogTable kTagEmpty{L"WiFiTagEmptyDlgWnd", kTagEmptyDlgProp, IDS_TAG_EMPTY_LAYOUT, kTagEmptyControls, 0};

HICON LoadDialogIcon(HINSTANCE instance)
{
    return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_PAIRWELL), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
}

HCURSOR LoadArrowCursor()
{
    return static_cast<HCURSOR>(::LoadImageW(nullptr, IDC_ARROW, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}

int RunDialog(CBaseDlg& dialog)
{
    if (dialog.Create()) return dialog.RunModal();
    dialog.Destroy();
    return 0;
}

int ShowSingleButton(HINSTANCE instance, const DialogTable& table, UINT messageText = 0)
{
    CSingleButtonDlg shown(instance, LoadDialogIcon(instance), LoadArrowCursor(), table, messageText);
    return RunDialog(shown);
}

ConnectedDlgOutcome ShowConnected(HINSTANCE instance, UINT messageText)
{
    CWFConnectedDlg dialog(instance, LoadDialogIcon(instance), LoadArrowCursor(), messageText);
    ConnectedDlgOutcome outcome;
    outcome.result = RunDialog(dialog);
    outcome.notShowAgain = dialog.NotShowAgain();
    return outcome;
}

}  // namespace

int ShowConnectFailedDlg(HINSTANCE instance) { return ShowSingleButton(instance, kConnectFailed); }
int ShowKOXNotInstalledDlg(HINSTANCE instance) { return ShowSingleButton(instance, kNotInstalled); }
int ShowTagUnsupportedDlg(HINSTANCE instance) { return ShowSingleButton(instance, kTagUnsupported); }
int ShowTagEmptyDlg(HINSTANCE instance) { return ShowSingleButton(instance, kTagEmpty); }

int ShowPowerOffDlg(HINSTANCE instance)
{
    return ShowSingleButton(instance, kPowerOff, PowerOffMessageId(ReadLocationCode(), ::GetUserDefaultUILanguage()));
}

int ShowTagConnectFailedDlg(HINSTANCE instance)
{
    return ShowSingleButton(instance, kConnectFailed, IDS_TAG_CONNECT_FAILED_TEXT);
}

int ShowTagPowerOffDlg(HINSTANCE instance) { return ShowSingleButton(instance, kPowerOff, IDS_TAG_POWER_OFF_TEXT); }

ConnectedDlgOutcome ShowConnectedDlg(HINSTANCE instance) { return ShowConnected(instance, 0); }

ConnectedDlgOutcome ShowTagConnectedDlg(HINSTANCE instance) { return ShowConnected(instance, IDS_TAG_CONNECTED_TEXT); }

}  // namespace tapdeck::pairwell
