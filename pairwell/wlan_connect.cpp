#include "wlan_connect.h"

#include "connection_run.h"
#include "dialogs.h"
#include "wlan_profile.h"
#include "wlan_profile_flags.h"
#include "wsc_profile.h"

namespace tapdeck::pairwell {
namespace {

bool NotShowAgainSet()
{
    unique_hkey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    if (::RegQueryValueExW(key.get(), kNotShowAgainValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    return size == sizeof(value) && value == 1;
}

void WriteNotShowAgain(bool checked)
{
    unique_hkey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                          nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    const DWORD value = checked ? 1 : 0;
    ::RegSetValueExW(key.get(), kNotShowAgainValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                     sizeof(value));
}

// The profile gives seconds. A negative interval waits not at all (as a
// DWORD it would wait for weeks), and a huge one stops short of INFINITE.
DWORD AttemptWait(int seconds)
{
    if (seconds <= 0) return 0;
    const unsigned long long milliseconds = static_cast<unsigned long long>(seconds) * 1000;
    return milliseconds >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(milliseconds);
}

// The profile to connect with, written. The camera's is written afresh
// each time. A standard tag's network that has a profile already keeps the
// user's profile (its mode, its other settings, whether it is the user's
// alone), with the tag's key put in only when it differs; one that group
// policy set is not ours to change and is connected with as it is. A new
// network gets a profile of its own, which must not replace one that
// appeared meanwhile.
bool WriteProfile(ConnectionRun& run)
{
    if (!run.standardTag) {
        WlanProfileParams params;
        FillProfileParams(params, run.ssid, run.passphrase);
        params.ssidHex = SsidHex(run.ssidBytes);
        return run.wlan.SetProfile(BuildProfileXml(params));
    }
    std::wstring userXml;
    DWORD type = 0;
    if (run.wlan.GetProfile(run.tagProfile.profileName, userXml, type)) {
        if (type & WLAN_PROFILE_GROUP_POLICY) return true;
        const std::wstring updated = UserProfileWithKey(userXml, run.tagProfile);
        return updated.empty() || run.wlan.SetProfile(updated, true, type);
    }
    return run.wlan.SetProfile(BuildProfileXml(run.tagProfile), false);
}

}  // namespace

bool ConfirmDisconnect(ConnectionRun& run)
{
    // Connected to a network that is not named (location withheld) is still
    // connected: the user is asked before anything is dropped.
    if (run.wlan.QueryCurrentConnection() == CurrentLink::NotConnected) return true;
    if (!NotShowAgainSet()) {
        const ConnectedDlgOutcome outcome =
            run.standardTag ? ShowTagConnectedDlg(run.Instance()) : ShowConnectedDlg(run.Instance());
        if (outcome.result == 0) return false;
        WriteNotShowAgain(outcome.notShowAgain);
    }
    // The dialog may have stood open for a while: the app or the radio may
    // be gone by now.
    if ((!run.standardTag && !run.CheckCompanionInstalled()) || !run.CheckRadioOn()) return false;
    if (run.wlan.QueryCurrentConnection() == CurrentLink::NotConnected) return true;
    return run.wlan.Disconnect();
}

HRESULT ConnectWithRetries(ConnectionRun& run)
{
    HRESULT result = E_FAIL;
    if (run.CreateConnectEvents()) {
        if (WriteProfile(run) && run.wlan.RegisterConnectNotification(run)) {
            if (!run.profile.empty()) {
                const int attempts = run.profile.front().retryTimes;
                const DWORD wait = AttemptWait(run.profile.front().retryInterval);
                const HANDLE events[] = {run.ConnectEvent(), run.CancelEvent()};
                for (int attempt = 0; attempt < attempts; ++attempt) {
                    // A halt that came before the loop ran ends it before it connects.
                    if (run.CancelRequested()) {
                        result = kConnectCancelled;
                        break;
                    }
                    // A completion of an earlier attempt must not end this wait.
                    ::ResetEvent(events[0]);
                    run.wlan.ConnectProfile(run.ssid);
                    const DWORD signalled = ::WaitForMultipleObjects(2, events, FALSE, wait);
                    if (signalled == WAIT_OBJECT_0 + 1) {
                        result = kConnectCancelled;
                        break;
                    }
                    // The completion for this interface and this profile says
                    // so by itself (reading the current connection may need a
                    // consent the user has not given). Without it, connected
                    // elsewhere (a preferred network that joined by itself) is
                    // not connected to the camera.
                    if (signalled == WAIT_OBJECT_0 ||
                        (signalled == WAIT_TIMEOUT && run.wlan.IsConnectedWith(run.ssid))) {
                        result = kConnected;
                        break;
                    }
                }
            }
            // Undone here also without a profile, so that no callback comes
            // after the events are gone.
            run.wlan.UnregisterNotifications();
        }
    }
    run.CloseConnectEvents();
    return result;
}

}  // namespace tapdeck::pairwell
