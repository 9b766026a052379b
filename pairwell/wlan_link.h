#pragma once
// One Native Wifi client connection and the interface it works on: always
// the first interface the service lists.
#include <windows.h>
#include <wlanapi.h>
#include <string>

#include "unique_handle.h"

namespace tapdeck::pairwell {

inline void close_wlan(HANDLE value) noexcept { ::WlanCloseHandle(value, nullptr); }
using unique_wlan = unique_any<handle_traits<HANDLE, close_wlan>>;

// Memory that the Native Wifi service hands out.
template <typename T>
using unique_wlan_memory = unique_any<handle_traits<T*, ::WlanFreeMemory>>;

class ConnectionRun;

// What the PC's Wi-Fi interface is connected to, as far as Windows tells.
enum class CurrentLink {
    NotConnected,
    Connected,          // CurrentProfileName() is the profile in use
    ConnectedToUnknown  // connected, but to which network is withheld
};

class WlanLink {
public:
    // Opens the client handle and stores the first interface's GUID. On
    // failure the handle may stay open; Close or the destructor closes it.
    bool OpenFirstInterface();
    // The interface's connection. Where the Native Wifi query of it is
    // refused (no consent to precise location, Windows 11 24H2 on), the
    // connection profiles tell the network, and else the interface state
    // tells at least whether it is connected. Any other failure of the
    // query counts as not connected.
    CurrentLink QueryCurrentConnection();
    // Opens a handle of its own, reads the software radio state of the last
    // PHY listed, and closes the handle again in every case.
    bool IsRadioOn();
    // True only when the interface is known to be connected with this very
    // profile (names compared exactly, as Windows does); another network,
    // or this one not yet connected, is not it.
    bool IsConnectedWith(const std::wstring& profileName);
    bool Disconnect();
    // A profile of the given type (WlanSetProfile's flags; 0: all-user, with
    // the default security), replacing one of the same name and type unless
    // overwrite is false.
    bool SetProfile(const std::wstring& xml, bool overwrite = true, DWORD flags = 0);
    // The stored profile of this name (names compared exactly, as the
    // service does), as the service hands it out, and its type; false when
    // there is none.
    bool GetProfile(const std::wstring& profileName, std::wstring& xml, DWORD& flags);
    bool RegisterConnectNotification(ConnectionRun& run);
    bool UnregisterNotifications();
    bool ConnectProfile(const std::wstring& profileName);
    void Close() noexcept { handle_.reset(); }

    const GUID& InterfaceGuid() const noexcept { return interfaceGuid_; }
    const std::wstring& CurrentProfileName() const noexcept { return currentProfileName_; }

private:
    CurrentLink QueryInterfaceState();

    unique_wlan handle_;
    GUID interfaceGuid_{};
    std::wstring currentProfileName_;
};

// The Native Wifi callback: tells the run that a connection completed
// successfully; ignores everything else.
void WINAPI OnWlanNotification(PWLAN_NOTIFICATION_DATA data, PVOID context);

}  // namespace tapdeck::pairwell
