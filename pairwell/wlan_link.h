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

class WlanLink {
public:
    // Opens the client handle and stores the first interface's GUID. On
    // failure the handle may stay open; Close or the destructor closes it.
    bool OpenFirstInterface();
    // True only when the interface is connected; then the connection's
    // profile name is in CurrentProfileName().
    bool QueryCurrentConnection();
    // Opens a handle of its own, reads the software radio state of the last
    // PHY listed, and closes the handle again in every case.
    bool IsRadioOn();
    // True only when the interface is connected with this profile; another
    // network, or this one not yet connected, is not it.
    bool IsConnectedWith(const std::wstring& profileName);
    bool Disconnect();
    // An all-user profile with the default security, replacing one of the
    // same name.
    bool SetProfile(const std::wstring& xml);
    bool RegisterConnectNotification(ConnectionRun& run);
    bool UnregisterNotifications();
    bool ConnectProfile(const std::wstring& profileName);
    void Close() noexcept { handle_.reset(); }

    bool IsOpen() const noexcept { return static_cast<bool>(handle_); }
    const GUID& InterfaceGuid() const noexcept { return interfaceGuid_; }
    const std::wstring& CurrentProfileName() const noexcept { return currentProfileName_; }

private:
    unique_wlan handle_;
    GUID interfaceGuid_{};
    std::wstring currentProfileName_;
};

// The Native Wifi callback: tells the run that a connection completed
// successfully; ignores everything else.
void WINAPI OnWlanNotification(PWLAN_NOTIFICATION_DATA data, PVOID context);

}  // namespace tapdeck::pairwell
