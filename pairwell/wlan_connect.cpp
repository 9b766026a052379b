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

}  // namespace

// The profile to connect with, written. The camera's is written afresh
// each time. A standard tag's network that has a profile already keeps the
// user's profile (its mode, its other settings, whether it is the user's
// alone), with the tag's key put in only when it differs; one that group
// policy set is not ours to change and is connected with as it is. A new
// network gets a profile of its own, which must not replace one that
// appeared meanwhile.
bool ConnectionRun::WriteProfile()
{
    if (!standardTag_) {
        WlanProfileParams params;
        FillProfileParams(params, ssid_, passphrase_);
        params.ssidHex = SsidHex(ssidBytes_);
        return wlan_.SetProfile(BuildProfileXml(params));
    }
    std::wstring userXml;
    DWORD type = 0;
    if (wlan_.GetProfile(tagProfile_.profileName, userXml, type)) {
        if (type & WLAN_PROFILE_GROUP_POLICY) return true;
        const std::wstring updated = UserProfileWithKey(userXml, tagProfile_);
        return updated.empty() || wlan_.SetProfile(updated, true, type);
    }
    return wlan_.SetProfile(BuildProfileXml(tagProfile_), false);
}

bool ConnectionRun::ConfirmDisconnect()
{
    // Connected to a network that is not named (location withheld) is still
    // connected: the user is asked before anything is dropped.
    if (wlan_.QueryCurrentConnection() == CurrentLink::NotConnected) return true;
    if (!NotShowAgainSet()) {
        const ConnectedDlgOutcome outcome =
            standardTag_ ? ShowTagConnectedDlg(instance_) : ShowConnectedDlg(instance_);
        if (outcome.result == 0) return false;
        WriteNotShowAgain(outcome.notShowAgain);
    }
    // The dialog may have stood open for a while: the app or the radio may
    // be gone by now.
    if ((!standardTag_ && !CheckCompanionInstalled()) || !CheckRadioOn()) return false;
    if (wlan_.QueryCurrentConnection() == CurrentLink::NotConnected) return true;
    return wlan_.Disconnect();
}

HRESULT ConnectionRun::ConnectWithRetries()
{
    HRESULT result = E_FAIL;
    if (CreateConnectEvents()) {
        if (WriteProfile() && wlan_.RegisterConnectNotification(*this)) {
            if (!profile_.empty()) {
                const int attempts = profile_.front().retryTimes;
                const DWORD wait = AttemptWait(profile_.front().retryInterval);
                const HANDLE events[] = {connectEvent_.get(), cancelEvent_.get()};
                for (int attempt = 0; attempt < attempts; ++attempt) {
                    // A halt that came before the loop ran ends it before it connects.
                    if (cancelRequested_.load()) {
                        result = kConnectCancelled;
                        break;
                    }
                    // A completion of an earlier attempt must not end this wait.
                    ::ResetEvent(events[0]);
                    wlan_.ConnectProfile(ssid_);
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
                        (signalled == WAIT_TIMEOUT && wlan_.IsConnectedWith(ssid_))) {
                        result = kConnected;
                        break;
                    }
                }
            }
            // Undone here also without a profile, so that no callback comes
            // after the events are gone.
            wlan_.UnregisterNotifications();
        }
    }
    CloseConnectEvents();
    return result;
}

}  // namespace tapdeck::pairwell
