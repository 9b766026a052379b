// How the flow shows each dialog: construct, Create, RunModal (or Destroy
// when Create failed), read the result.
#include "../dialogs.h"
#include "../location_code.h"
#include "kox_not_installed_dlg.h"
#include "resource_ids.h"
#include "strings/pairwell_strings.h"
#include "wf_connect_failed_dlg.h"
#include "wf_connected_dlg.h"
#include "wf_power_off_dlg.h"
#include "wf_tag_empty_dlg.h"
#include "wf_tag_unsupported_dlg.h"

namespace tapdeck::pairwell {
namespace {

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

}  // namespace

int ShowConnectFailedDlg(HINSTANCE instance)
{
    CWFConnectFailedDlg dialog(instance, LoadDialogIcon(instance), LoadArrowCursor());
    return RunDialog(dialog);
}

int ShowKOXNotInstalledDlg(HINSTANCE instance)
{
    CKOXNotInstalledDlg dialog(instance, LoadDialogIcon(instance), LoadArrowCursor());
    return RunDialog(dialog);
}

int ShowPowerOffDlg(HINSTANCE instance)
{
    const UINT message = PowerOffMessageId(ReadLocationCode(), ::GetUserDefaultUILanguage());
    CWFPowerOffDlg dialog(instance, LoadDialogIcon(instance), LoadArrowCursor(), message);
    return RunDialog(dialog);
}

int ShowTagUnsupportedDlg(HINSTANCE instance)
{
    CWFTagUnsupportedDlg dialog(instance, LoadDialogIcon(instance), LoadArrowCursor());
    return RunDialog(dialog);
}

int ShowTagEmptyDlg(HINSTANCE instance)
{
    CWFTagEmptyDlg dialog(instance, LoadDialogIcon(instance), LoadArrowCursor());
    return RunDialog(dialog);
}

int ShowTagConnectFailedDlg(HINSTANCE instance)
{
    CWFConnectFailedDlg dialog(instance, LoadDialogIcon(instance), LoadArrowCursor(), IDS_TAG_CONNECT_FAILED_TEXT);
    return RunDialog(dialog);
}

int ShowTagPowerOffDlg(HINSTANCE instance)
{
    CWFPowerOffDlg dialog(instance, LoadDialogIcon(instance), LoadArrowCursor(), IDS_TAG_POWER_OFF_TEXT);
    return RunDialog(dialog);
}

ConnectedDlgOutcome ShowTagConnectedDlg(HINSTANCE instance)
{
    CWFConnectedDlg dialog(instance, LoadDialogIcon(instance), LoadArrowCursor(), IDS_TAG_CONNECTED_TEXT);
    ConnectedDlgOutcome outcome;
    outcome.result = RunDialog(dialog);
    outcome.notShowAgain = dialog.NotShowAgain();
    return outcome;
}

ConnectedDlgOutcome ShowConnectedDlg(HINSTANCE instance)
{
    CWFConnectedDlg dialog(instance, LoadDialogIcon(instance), LoadArrowCursor());
    ConnectedDlgOutcome outcome;
    outcome.result = RunDialog(dialog);
    outcome.notShowAgain = dialog.NotShowAgain();
    return outcome;
}

}  // namespace tapdeck::pairwell
