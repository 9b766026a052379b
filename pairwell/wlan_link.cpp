#include "wlan_link.h"

#include "connection_run.h"
#include "current_network.h"
#include "wlan_profile.h"

namespace tapdeck::pairwell {
namespace {

constexpr DWORD kClientVersion = 2;
// WLAN_REASON_CODE_SUCCESS, which mingw-w64 does not declare.
constexpr WLAN_REASON_CODE kReasonSuccess = 0;

}  // namespace

bool WlanLink::OpenFirstInterface()
{
    DWORD negotiated = 0;
    if (!handle_) {
        if (::WlanOpenHandle(kClientVersion, nullptr, &negotiated, handle_.put()) != ERROR_SUCCESS) return false;
    }
    unique_wlan_memory<WLAN_INTERFACE_INFO_LIST> list;
    if (::WlanEnumInterfaces(handle_.get(), nullptr, list.put()) != ERROR_SUCCESS || !list) return false;
    if (list.get()->dwNumberOfItems == 0) return false;
    interfaceGuid_ = list.get()->InterfaceInfo[0].InterfaceGuid;
    return true;
}

CurrentLink WlanLink::QueryCurrentConnection()
{
    if (!handle_) return CurrentLink::NotConnected;
    DWORD size = 0;
    void* raw = nullptr;
    const DWORD status = ::WlanQueryInterface(handle_.get(), &interfaceGuid_, wlan_intf_opcode_current_connection,
                                              nullptr, &size, &raw, nullptr);
    unique_wlan_memory<void> data(raw);
    if (status == ERROR_ACCESS_DENIED) {
        // Withheld, not absent: ask the sources that need no consent.
        if (const std::optional<std::wstring> name = ConnectedProfileOn(interfaceGuid_)) {
            if (name->empty()) return CurrentLink::NotConnected;
            currentProfileName_ = *name;
            return CurrentLink::Connected;
        }
        return QueryInterfaceState();
    }
    if (status != ERROR_SUCCESS || !data || size < sizeof(WLAN_CONNECTION_ATTRIBUTES)) return CurrentLink::NotConnected;
    const auto* connection = static_cast<const WLAN_CONNECTION_ATTRIBUTES*>(data.get());
    if (connection->isState != wlan_interface_state_connected) return CurrentLink::NotConnected;
    currentProfileName_.assign(connection->strProfileName,
                               ::wcsnlen(connection->strProfileName, WLAN_MAX_NAME_LENGTH));
    return CurrentLink::Connected;
}

CurrentLink WlanLink::QueryInterfaceState()
{
    DWORD size = 0;
    void* raw = nullptr;
    const DWORD status = ::WlanQueryInterface(handle_.get(), &interfaceGuid_, wlan_intf_opcode_interface_state,
                                              nullptr, &size, &raw, nullptr);
    unique_wlan_memory<void> data(raw);
    // Failing too: nothing is known to be connected, so nothing is dropped.
    if (status != ERROR_SUCCESS || !data || size < sizeof(WLAN_INTERFACE_STATE)) return CurrentLink::NotConnected;
    WLAN_INTERFACE_STATE state;
    ::memcpy(&state, data.get(), sizeof(state));
    return state == wlan_interface_state_connected ? CurrentLink::ConnectedToUnknown : CurrentLink::NotConnected;
}

bool WlanLink::IsConnectedWith(const std::wstring& profileName)
{
    return QueryCurrentConnection() == CurrentLink::Connected && currentProfileName_ == profileName;
}

bool WlanLink::IsRadioOn()
{
    bool on = false;
    if (OpenFirstInterface()) {
        DWORD size = 0;
        void* raw = nullptr;
        const DWORD status = ::WlanQueryInterface(handle_.get(), &interfaceGuid_, wlan_intf_opcode_radio_state,
                                                  nullptr, &size, &raw, nullptr);
        unique_wlan_memory<void> data(raw);
        if (status == ERROR_SUCCESS && data && size == sizeof(WLAN_RADIO_STATE)) {
            WLAN_RADIO_STATE state;
            ::memcpy(&state, data.get(), sizeof(state));
            // The last PHY listed decides; a count beyond the array is cut to it.
            const DWORD phys = state.dwNumberOfPhys < 64 ? state.dwNumberOfPhys : 64;
            for (DWORD i = 0; i < phys; ++i) {
                on = state.PhyRadioState[i].dot11SoftwareRadioState == dot11_radio_state_on;
            }
        }
    }
    Close();
    return on;
}

bool WlanLink::Disconnect()
{
    return handle_ && ::WlanDisconnect(handle_.get(), &interfaceGuid_, nullptr) == ERROR_SUCCESS;
}

bool WlanLink::SetProfile(const std::wstring& xml, bool overwrite, DWORD flags)
{
    if (xml.empty() || !handle_) return false;
    DWORD reason = 0;
    return ::WlanSetProfile(handle_.get(), &interfaceGuid_, flags, xml.c_str(), nullptr, overwrite ? TRUE : FALSE, nullptr,
                            &reason) == ERROR_SUCCESS;
}

bool WlanLink::GetProfile(const std::wstring& profileName, std::wstring& xml, DWORD& flags)
{
    if (!handle_) return false;
    LPWSTR raw = nullptr;
    flags = 0;
    DWORD access = 0;
    const DWORD status =
        ::WlanGetProfile(handle_.get(), &interfaceGuid_, profileName.c_str(), nullptr, &raw, &flags, &access);
    unique_wlan_memory<WCHAR> text(raw);
    if (status != ERROR_SUCCESS || !text) return false;
    xml = text.get();
    return true;
}

bool WlanLink::RegisterConnectNotification(ConnectionRun& run)
{
    return handle_ && ::WlanRegisterNotification(handle_.get(), WLAN_NOTIFICATION_SOURCE_ACM, FALSE,
                                                 OnWlanNotification, &run, nullptr, nullptr) == ERROR_SUCCESS;
}

bool WlanLink::UnregisterNotifications()
{
    return handle_ && ::WlanRegisterNotification(handle_.get(), WLAN_NOTIFICATION_SOURCE_NONE, FALSE, nullptr,
                                                 nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool WlanLink::ConnectProfile(const std::wstring& profileName)
{
    if (!handle_) return false;
    WLAN_CONNECTION_PARAMETERS parameters{};
    parameters.wlanConnectionMode = wlan_connection_mode_profile;
    parameters.strProfile = profileName.c_str();
    parameters.pDot11Ssid = nullptr;
    parameters.pDesiredBssidList = nullptr;
    parameters.dot11BssType = dot11_BSS_type_any;
    parameters.dwFlags = 0;
    return ::WlanConnect(handle_.get(), &interfaceGuid_, &parameters, nullptr) == ERROR_SUCCESS;
}

void WINAPI OnWlanNotification(PWLAN_NOTIFICATION_DATA data, PVOID context)
{
    if (!data || !context) return;
    if (data->NotificationSource != WLAN_NOTIFICATION_SOURCE_ACM) return;
    if (data->NotificationCode != wlan_notification_acm_connection_complete) return;
    if (!data->pData || data->dwDataSize < sizeof(WLAN_CONNECTION_NOTIFICATION_DATA)) return;
    const auto* connection = static_cast<const WLAN_CONNECTION_NOTIFICATION_DATA*>(data->pData);
    if (connection->wlanReasonCode != kReasonSuccess) return;
    const std::wstring profileName(connection->strProfileName,
                                   ::wcsnlen(connection->strProfileName, WLAN_MAX_NAME_LENGTH));
    static_cast<ConnectionRun*>(context)->SignalConnected(data->InterfaceGuid, profileName);
}

}  // namespace tapdeck::pairwell
