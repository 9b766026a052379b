#pragma once
// The Wi-Fi adapter stand-in's world, kept in C:\tapdeck-sim\wlan so that
// wlanapi.dll in the product's process, simctl and tests share it: radio,
// interfaces, the current connection, the networks in reach and how
// connecting behaves; and the records of what the product asked for.
#include <windows.h>
#include <string>
#include <vector>

#include "unique_handle.h"

namespace tapdeck::sim {

inline constexpr wchar_t kWlanArea[] = L"wlan";
// The adapter's census records: "wlan-<pid>.txt" in C:\tapdeck-sim\census.
inline constexpr wchar_t kWlanCensus[] = L"wlan";

struct WlanNetwork {
    std::wstring ssid;
    std::wstring passphrase;  // empty: an open network
};

struct WlanStoredProfile {
    std::wstring name;
    std::wstring ssid;
    std::wstring authentication;
    std::wstring keyMaterial;
    // The profile's XML as it was set, which WlanGetProfile answers with.
    std::wstring xml;
    // 0 (all-user), WLAN_PROFILE_USER or WLAN_PROFILE_GROUP_POLICY.
    DWORD flags = 0;
};

// {5A1E0000-0000-4000-8000-00000000000n}: interface n, from 1.
GUID WlanInterfaceGuid(int index);

struct WlanSimState {
    int interfaces = 1;
    // Software radio state of each PHY, in order; empty: no PHY at all.
    std::vector<bool> phys{true};
    // Profile name of the current connection; empty: not connected.
    std::wstring connected;
    // The state the current connection reports (WLAN_INTERFACE_STATE).
    int connectionState = 1;  // wlan_interface_state_connected
    // The network the adapter joins by itself after a disconnect, with its
    // own completion notification; empty: none.
    std::wstring preferred;
    // False: WlanDisconnect fails and the connection stays.
    bool disconnectSucceeds = true;
    // Not empty: with every connect request, a successful completion for this
    // profile on this interface (from 1) comes first, as when another client
    // connects.
    std::wstring strayProfile;
    int strayInterface = 1;
    std::vector<WlanNetwork> networks;
    // False: every connect attempt fails, whatever the networks.
    bool connectSucceeds = true;
    // False: the completion notification never comes.
    bool notify = true;
    // Time from a connect request to its outcome.
    DWORD delayMs = 0;
    std::vector<WlanStoredProfile> profiles;
    // Windows 11 24H2 and later without the user's consent to precise
    // location: the gated calls answer ERROR_ACCESS_DENIED.
    bool locationDenied = false;
    // The one-time consent prompt has appeared (at the first blocked call).
    bool locationPrompted = false;
    // The current-network source has IConnectionProfile2 (Windows 8.1 on);
    // false: Windows 8.
    bool connectivityDetails = true;
};

// Serialises read-modify-write of the state across processes.
class WlanStateLock {
public:
    WlanStateLock();
    ~WlanStateLock();
    WlanStateLock(const WlanStateLock&) = delete;
    WlanStateLock& operator=(const WlanStateLock&) = delete;

private:
    unique_mutex mutex_;
};

WlanSimState LoadWlanState();
bool SaveWlanState(const WlanSimState& state);
// Back to one interface, radio on, not connected, no networks, no profiles,
// and empty records.
void ResetWlanSim();

// events.log: one line per call that changes something ("setprofile NAME",
// "connect NAME", "disconnect NAME", "open", "close", ...).
void RecordWlanEvent(const std::wstring& line);
std::vector<std::wstring> ReadWlanEvents();
// profiles.log: the XML of every profile the product set, accepted or not,
// as "accepted XML" or "refused XML".
void RecordWlanProfile(bool accepted, const std::wstring& xml);
std::vector<std::wstring> ReadWlanProfiles();

}  // namespace tapdeck::sim
