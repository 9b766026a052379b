#pragma once
// How the connection flow talks to the user through Pairwell's four modal
// dialogs, and how other threads and processes find the one that is open.
#include <windows.h>

namespace tapdeck::pairwell {

// Posted by a second Pairwell start: bring the dialog forward and flash it.
constexpr UINT WM_FLASH_DIALOG = WM_APP + 100;
// Posted by the app-visibility sink: re-evaluate the visibility state.
constexpr UINT WM_VISIBILITY_CHANGED = WM_APP + 101;
// One-shot timer, 100 ms after a display change: re-centre the dialog.
constexpr UINT_PTR TIMER_RECENTER = 1002;

// The window property each dialog carries while it is open.
inline constexpr wchar_t kNotInstalledDlgProp[] = L"Camera KOXNotInstalledDlg prop";
inline constexpr wchar_t kConnectedDlgProp[] = L"Camera WiFiConnectedDlg prop";
inline constexpr wchar_t kConnectFailedDlgProp[] = L"Camera WiFiConnectFailDlg prop";
inline constexpr wchar_t kPowerOffDlgProp[] = L"Camera WiFiPowerOffDlg prop";
inline constexpr wchar_t kTagUnsupportedDlgProp[] = L"Pairwell WiFiTagUnsupportedDlg prop";
inline constexpr wchar_t kTagEmptyDlgProp[] = L"Pairwell WiFiTagEmptyDlg prop";
// In the order they are searched.
inline constexpr const wchar_t* kDialogProperties[] = {
    kNotInstalledDlgProp, kConnectedDlgProp,      kConnectFailedDlgProp,
    kPowerOffDlgProp,     kTagUnsupportedDlgProp, kTagEmptyDlgProp,
};

// The open Pairwell dialog of any process on this desktop, or null. A second
// start posts WM_FLASH_DIALOG to it; the observer thread posts WM_CLOSE to it,
// which ends that dialog with result 0 (as if the user closed it).
HWND FindOpenDialog();

// Each Show* function runs one dialog modally on the calling thread: loads
// icon 107 from the instance and the arrow cursor, constructs the dialog from
// its table, Create, RunModal (or Destroy when Create failed), and returns its
// result.
// A dialog that cannot be created counts as closed with result 0.

// Connection failed: 1 when the button was pressed, else 0 (not used).
int ShowConnectFailedDlg(HINSTANCE instance);
// Companion app not installed: 1 when the user asked for the Store page.
int ShowKOXNotInstalledDlg(HINSTANCE instance);
// Wi-Fi is off: 1 when the button was pressed, else 0 (not used).
int ShowPowerOffDlg(HINSTANCE instance);

// A standard Wi-Fi tag's networks are all of a kind this PC cannot join.
int ShowTagUnsupportedDlg(HINSTANCE instance);
// A standard Wi-Fi tag holds no network settings.
int ShowTagEmptyDlg(HINSTANCE instance);

struct ConnectedDlgOutcome {
    int result = 0;             // 1: button 6, continue and disconnect; 0: button 7 or closed
    bool notShowAgain = false;  // the check box state when the dialog closed
};
// Already connected to another network.
ConnectedDlgOutcome ShowConnectedDlg(HINSTANCE instance);

// The same three for a standard Wi-Fi tag: texts that speak of its
// network, not of the camera.
int ShowTagConnectFailedDlg(HINSTANCE instance);
int ShowTagPowerOffDlg(HINSTANCE instance);
ConnectedDlgOutcome ShowTagConnectedDlg(HINSTANCE instance);

}  // namespace tapdeck::pairwell
