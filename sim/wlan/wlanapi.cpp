// wlanapi.dll stand-in: the Native Wifi functions Pairwell imports, over the
// world that simctl describes in C:\tapdeck-sim\wlan.
//
// Windows rules modelled (documentation page titles in quotes):
// - "Changes to API behavior for Wi-Fi access and location" (Windows 11 24H2
//   and later): without the user's consent to precise location
//   (`simctl wlan-location denied`), WlanQueryInterface with
//   wlan_intf_opcode_current_connection, WlanGetAvailableNetworkList,
//   WlanGetNetworkBssList and WlanScan answer ERROR_ACCESS_DENIED; the first
//   blocked call brings up the one-time consent prompt ("location-prompt").
//   The interface state query, connects and ACM notifications stay open.
// - "WlanSetProfile function": without overwrite, a profile name that exists
//   answers ERROR_ALREADY_EXISTS, and so does an overwrite whose flags name
//   another profile type (all-user, per-user, group policy) than the stored
//   profile's, which stays as it was; an overwrite keeps the profile's place
//   in the list; group-policy flags are refused; a per-user profile takes no
//   security string.
// - "WlanGetProfile function": answers the profile's type in its flags, and
//   grants a group-policy profile read and execute access only.
// - "WLAN_CONNECTION_ATTRIBUTES structure": profile names are case-sensitive.
// - "WlanGetProfile function": the key comes back encrypted (protected) for
//   a caller without the right to read it in plain text, which a program
//   running as the invoking user does not have; handing the encrypted key
//   back to WlanSetProfile keeps it.
// Not modelled: per-user profile lists, profile order, scans and BSS lists
// (empty when allowed), hardware radio switches, more than one connected
// interface.
#include <windows.h>
#include <sddl.h>
#include <wlanapi.h>
#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "census.h"
#include "fault.h"
#include "hex.h"
#include "profile_check.h"
#include "sim_state.h"
#include "wlan_profile_flags.h"
#include "wlan_sim_state.h"

using namespace tapdeck::sim;

namespace {

constexpr WLAN_REASON_CODE kReasonNetworkNotAvailable = 0x00028001;
// The access rights of a profile ("WlanGetProfile function"), which mingw-w64 does not declare.
constexpr DWORD kWlanReadAccess = STANDARD_RIGHTS_READ | FILE_READ_DATA;
constexpr DWORD kWlanExecuteAccess = kWlanReadAccess | STANDARD_RIGHTS_EXECUTE | FILE_EXECUTE;
constexpr DWORD kWlanWriteAccess = kWlanReadAccess | kWlanExecuteAccess | STANDARD_RIGHTS_WRITE | FILE_WRITE_DATA |
                                   DELETE | WRITE_DAC;
constexpr WLAN_REASON_CODE kReasonInvalidProfile = 0x0008000D;

// Read as the loader attaches this library, early in the start of a program
// that imports it; stamped at the first open for benchmarks.
const LONGLONG g_attached = [] {
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}();

GUID InterfaceGuid(int index) { return WlanInterfaceGuid(index); }

// The first blocked call of a program without location consent brings up
// the consent prompt, once; every blocked call is recorded.
bool LocationBlocks(const wchar_t* call)
{
    WlanStateLock lock;
    WlanSimState state = LoadWlanState();
    if (!state.locationDenied) return false;
    RecordWlanEvent(std::wstring(L"blocked ") + call);
    if (!state.locationPrompted) {
        state.locationPrompted = true;
        SaveWlanState(state);
        RecordWlanEvent(L"location-prompt");
    }
    return true;
}

bool KnownInterface(const GUID* guid, const WlanSimState& state)
{
    if (!guid) return false;
    for (int i = 1; i <= state.interfaces; ++i) {
        if (::IsEqualGUID(*guid, InterfaceGuid(i))) return true;
    }
    return false;
}

bool ValidSecurity(const wchar_t* sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
        return false;
    }
    ::LocalFree(descriptor);
    return true;
}

bool SameName(const std::wstring& a, const std::wstring& b) { return a == b; }

// The service's encrypted form of a key, as WlanGetProfile hands it out: a
// fixed header, then the key's bytes (our "encryption" only has to be
// opaque to the program and reversible here).
constexpr wchar_t kProtectedHeader[] = L"01000000D08C9DDF0115D1118C7A00C04FC297EB01000000";

std::wstring ProtectKey(const std::wstring& key)
{
    return kProtectedHeader + tapdeck::ToHex(ToUtf8(key), tapdeck::HexCase::Upper);
}

// False when the text is not a key this service encrypted.
bool UnprotectKey(const std::wstring& blob, std::wstring& key)
{
    const size_t header = ::wcslen(kProtectedHeader);
    std::string bytes;
    if (blob.compare(0, header, kProtectedHeader) != 0) return false;
    if (!tapdeck::FromHex(std::wstring_view(blob).substr(header), bytes)) return false;
    key = FromUtf8(bytes);
    return true;
}

// The stored XML with its key in the encrypted form.
std::wstring WithProtectedKey(const WlanStoredProfile& profile)
{
    std::wstring xml = profile.xml;
    const size_t open = xml.find(L"<keyMaterial>");
    const size_t close = xml.find(L"</keyMaterial>");
    if (open == std::wstring::npos || close == std::wstring::npos || close < open) return xml;
    const size_t start = open + ::wcslen(L"<keyMaterial>");
    xml.replace(start, close - start, ProtectKey(profile.keyMaterial));
    const size_t flag = xml.find(L"<protected>false</protected>");
    if (flag != std::wstring::npos) xml.replace(flag, ::wcslen(L"<protected>false</protected>"), L"<protected>true</protected>");
    return xml;
}

std::wstring Flatten(std::wstring text)
{
    for (wchar_t& c : text) {
        if (c == L'\n' || c == L'\r') c = L' ';
    }
    return text;
}

// Open client handles and their notification registrations. A callback in
// flight keeps its handle's registration alive: unregistering and closing
// wait for it, as the service does.
struct Registration {
    WLAN_NOTIFICATION_CALLBACK callback = nullptr;
    void* context = nullptr;
    DWORD source = 0;
};
struct Client {
    Registration registration;
    int callbacksInFlight = 0;
};

std::mutex clientsLock;
std::condition_variable callbacksDone;
std::map<HANDLE, Client> clients;  // guarded by clientsLock
ULONG_PTR nextHandle = 0x5A10;     // guarded by clientsLock

bool ValidHandle(HANDLE handle)
{
    std::lock_guard<std::mutex> lock(clientsLock);
    return clients.count(handle) != 0;
}

void WaitForCallbacks(std::unique_lock<std::mutex>& lock, HANDLE handle)
{
    callbacksDone.wait(lock, [&] {
        const auto it = clients.find(handle);
        return it == clients.end() || it->second.callbacksInFlight == 0;
    });
}

// One completion notification, sent to every client registered for the ACM
// source, as the service sends it.
struct Completion {
    GUID interfaceGuid;
    std::wstring profileName;
    std::wstring ssid;
    WLAN_REASON_CODE reason;
};

void Notify(const Completion& completion)
{
    std::vector<std::pair<HANDLE, Registration>> targets;
    {
        std::lock_guard<std::mutex> lock(clientsLock);
        for (auto& [handle, client] : clients) {
            if (!client.registration.callback || !(client.registration.source & WLAN_NOTIFICATION_SOURCE_ACM)) continue;
            targets.emplace_back(handle, client.registration);
            ++client.callbacksInFlight;
        }
    }
    WLAN_CONNECTION_NOTIFICATION_DATA data{};
    data.wlanConnectionMode = wlan_connection_mode_profile;
    ::wcsncpy_s(data.strProfileName, completion.profileName.c_str(), _TRUNCATE);
    const std::string ssid = ToUtf8(completion.ssid);
    data.dot11Ssid.uSSIDLength = static_cast<ULONG>(ssid.size() < 32 ? ssid.size() : 32);
    std::memcpy(data.dot11Ssid.ucSSID, ssid.data(), data.dot11Ssid.uSSIDLength);
    data.dot11BssType = dot11_BSS_type_infrastructure;
    data.bSecurityEnabled = TRUE;
    data.wlanReasonCode = completion.reason;
    WLAN_NOTIFICATION_DATA notification{};
    notification.NotificationSource = WLAN_NOTIFICATION_SOURCE_ACM;
    notification.NotificationCode = wlan_notification_acm_connection_complete;
    notification.InterfaceGuid = completion.interfaceGuid;
    notification.dwDataSize = sizeof(data);
    notification.pData = &data;
    for (const auto& [handle, registration] : targets) registration.callback(&notification, registration.context);
    {
        std::lock_guard<std::mutex> lock(clientsLock);
        for (const auto& [handle, registration] : targets) {
            const auto it = clients.find(handle);
            if (it != clients.end()) --it->second.callbacksInFlight;
        }
    }
    callbacksDone.notify_all();
}

struct PendingConnect {
    GUID interfaceGuid;
    std::wstring profileName;
    std::wstring ssid;
    bool succeeds;
    bool notify;
    DWORD delayMs;
    // What is recorded when it succeeds: a request's "connected", or the
    // adapter's own "auto-connected".
    const wchar_t* connectedEvent;
    // Sent first when not empty: another client's completion.
    std::wstring strayProfile;
    GUID strayInterface;
};

DWORD WINAPI ConnectThread(void* param)
{
    const std::unique_ptr<PendingConnect> connect(static_cast<PendingConnect*>(param));
    if (!connect->strayProfile.empty()) {
        RecordWlanEvent(L"stray-completion " + Flatten(connect->strayProfile));
        Notify({connect->strayInterface, connect->strayProfile, connect->strayProfile, 0});
    }
    if (connect->delayMs) ::Sleep(connect->delayMs);
    if (connect->succeeds) {
        WlanStateLock lock;
        WlanSimState state = LoadWlanState();
        state.connected = connect->profileName;
        SaveWlanState(state);
    }
    RecordWlanEvent((connect->succeeds ? std::wstring(connect->connectedEvent) + L" " : L"connect-failed ") +
                    Flatten(connect->profileName));
    if (connect->notify) {
        Notify({connect->interfaceGuid, connect->profileName, connect->ssid,
                connect->succeeds ? 0 : kReasonNetworkNotAvailable});
    }
    return 0;
}

bool StartConnect(PendingConnect* pending)
{
    const HANDLE thread = ::CreateThread(nullptr, 0, ConnectThread, pending, 0, nullptr);
    if (!thread) {
        delete pending;
        return false;
    }
    ::CloseHandle(thread);
    return true;
}

// What the census counts here: client handles and the memory handed out.
CensusSlot* HandleCensus()
{
    static CensusSlot* slot = CensusClass(L"WLAN client handle");
    return slot;
}

CensusSlot* MemoryCensus()
{
    static CensusSlot* slot = CensusClass(L"WLAN memory");
    return slot;
}

template <typename T>
T* Allocate(size_t size)
{
    T* memory = static_cast<T*>(std::calloc(1, size));
    if (memory) CensusCreated(MemoryCensus());
    return memory;
}

}  // namespace

extern "C" {

DWORD WINAPI WlanOpenHandle(DWORD clientVersion, PVOID reserved, PDWORD negotiatedVersion, PHANDLE clientHandle)
{
    if (reserved || !negotiatedVersion || !clientHandle || (clientVersion != 1 && clientVersion != 2)) {
        return ERROR_INVALID_PARAMETER;
    }
    if (const long fault = InjectedFault(L"WlanOpenHandle")) return static_cast<DWORD>(fault);
    HANDLE handle = nullptr;
    {
        std::lock_guard<std::mutex> lock(clientsLock);
        handle = reinterpret_cast<HANDLE>(nextHandle++);
        clients[handle] = Client{};
    }
    CensusCreated(HandleCensus());
    *negotiatedVersion = clientVersion;
    *clientHandle = handle;
    static std::once_flag attachStamped;
    std::call_once(attachStamped, [] { AppendStamp(g_attached, kWlanArea, L"attached"); });
    RecordWlanEvent(L"open");
    return ERROR_SUCCESS;
}

DWORD WINAPI WlanCloseHandle(HANDLE clientHandle, PVOID reserved)
{
    if (reserved) return ERROR_INVALID_PARAMETER;
    {
        std::unique_lock<std::mutex> lock(clientsLock);
        const auto it = clients.find(clientHandle);
        if (it == clients.end()) {
            // Closed twice, or never opened: the census's underflow.
            CensusUnderflow(HandleCensus());
            return ERROR_INVALID_HANDLE;
        }
        it->second.registration = Registration{};
        WaitForCallbacks(lock, clientHandle);
        clients.erase(clientHandle);
    }
    CensusDestroyed(HandleCensus());
    RecordWlanEvent(L"close");
    return ERROR_SUCCESS;
}

VOID WINAPI WlanFreeMemory(PVOID memory)
{
    if (memory) CensusDestroyed(MemoryCensus());
    std::free(memory);
}

DWORD WINAPI WlanEnumInterfaces(HANDLE clientHandle, PVOID reserved, PWLAN_INTERFACE_INFO_LIST* list)
{
    if (reserved || !list) return ERROR_INVALID_PARAMETER;
    if (!ValidHandle(clientHandle)) return ERROR_INVALID_HANDLE;
    if (const long fault = InjectedFault(L"WlanEnumInterfaces")) return static_cast<DWORD>(fault);
    const WlanSimState state = LoadWlanState();
    const int count = state.interfaces > 0 ? state.interfaces : 0;
    auto* out = Allocate<WLAN_INTERFACE_INFO_LIST>(sizeof(WLAN_INTERFACE_INFO_LIST) +
                                                   sizeof(WLAN_INTERFACE_INFO) * (count > 0 ? count : 1));
    if (!out) return ERROR_NOT_ENOUGH_MEMORY;
    out->dwNumberOfItems = static_cast<DWORD>(count);
    for (int i = 0; i < count; ++i) {
        WLAN_INTERFACE_INFO& info = out->InterfaceInfo[i];
        info.InterfaceGuid = InterfaceGuid(i + 1);
        ::swprintf_s(info.strInterfaceDescription, L"Tapdeck stand-in Wi-Fi adapter %d", i + 1);
        info.isState = i == 0 && !state.connected.empty() ? static_cast<WLAN_INTERFACE_STATE>(state.connectionState)
                                                          : wlan_interface_state_disconnected;
    }
    *list = out;
    return ERROR_SUCCESS;
}

DWORD WINAPI WlanQueryInterface(HANDLE clientHandle, const GUID* interfaceGuid, WLAN_INTF_OPCODE opCode,
                                PVOID reserved, PDWORD dataSize, PVOID* data, PWLAN_OPCODE_VALUE_TYPE valueType)
{
    if (reserved || !dataSize || !data) return ERROR_INVALID_PARAMETER;
    if (!ValidHandle(clientHandle)) return ERROR_INVALID_HANDLE;
    // Each kind of query fails on its own: "WlanQueryInterface.4" is the radio state.
    if (const long fault = InjectedFault(L"WlanQueryInterface." + std::to_wstring(static_cast<int>(opCode))))
        return static_cast<DWORD>(fault);
    const WlanSimState state = LoadWlanState();
    if (!KnownInterface(interfaceGuid, state)) return ERROR_NOT_FOUND;
    if (valueType) *valueType = wlan_opcode_value_type_query_only;

    if (opCode == wlan_intf_opcode_radio_state) {
        auto* radio = Allocate<WLAN_RADIO_STATE>(sizeof(WLAN_RADIO_STATE));
        if (!radio) return ERROR_NOT_ENOUGH_MEMORY;
        const size_t phys = state.phys.size() < 64 ? state.phys.size() : 64;
        radio->dwNumberOfPhys = static_cast<DWORD>(phys);
        for (size_t i = 0; i < phys; ++i) {
            radio->PhyRadioState[i].dwPhyIndex = static_cast<DWORD>(i);
            radio->PhyRadioState[i].dot11SoftwareRadioState = state.phys[i] ? dot11_radio_state_on
                                                                             : dot11_radio_state_off;
            // The hardware switch is always on here: only software state varies.
            radio->PhyRadioState[i].dot11HardwareRadioState = dot11_radio_state_on;
        }
        *dataSize = sizeof(WLAN_RADIO_STATE);
        *data = radio;
        return ERROR_SUCCESS;
    }
    if (opCode == wlan_intf_opcode_interface_state) {
        auto* interfaceState = Allocate<WLAN_INTERFACE_STATE>(sizeof(WLAN_INTERFACE_STATE));
        if (!interfaceState) return ERROR_NOT_ENOUGH_MEMORY;
        *interfaceState = !state.connected.empty() && ::IsEqualGUID(*interfaceGuid, InterfaceGuid(1))
                              ? static_cast<WLAN_INTERFACE_STATE>(state.connectionState)
                              : wlan_interface_state_disconnected;
        *dataSize = sizeof(WLAN_INTERFACE_STATE);
        *data = interfaceState;
        if (valueType) *valueType = wlan_opcode_value_type_query_only;
        return ERROR_SUCCESS;
    }
    if (opCode == wlan_intf_opcode_current_connection) {
        if (LocationBlocks(L"current-connection")) return ERROR_ACCESS_DENIED;
        // Only the first interface ever connects.
        if (state.connected.empty() || !::IsEqualGUID(*interfaceGuid, InterfaceGuid(1))) return ERROR_INVALID_STATE;
        auto* connection = Allocate<WLAN_CONNECTION_ATTRIBUTES>(sizeof(WLAN_CONNECTION_ATTRIBUTES));
        if (!connection) return ERROR_NOT_ENOUGH_MEMORY;
        connection->isState = static_cast<WLAN_INTERFACE_STATE>(state.connectionState);
        connection->wlanConnectionMode = wlan_connection_mode_profile;
        ::wcsncpy_s(connection->strProfileName, state.connected.c_str(), _TRUNCATE);
        connection->wlanAssociationAttributes.dot11BssType = dot11_BSS_type_infrastructure;
        connection->wlanSecurityAttributes.bSecurityEnabled = TRUE;
        *dataSize = sizeof(WLAN_CONNECTION_ATTRIBUTES);
        *data = connection;
        return ERROR_SUCCESS;
    }
    return ERROR_NOT_SUPPORTED;
}

DWORD WINAPI WlanDisconnect(HANDLE clientHandle, const GUID* interfaceGuid, PVOID reserved)
{
    if (reserved) return ERROR_INVALID_PARAMETER;
    if (!ValidHandle(clientHandle)) return ERROR_INVALID_HANDLE;
    WlanStateLock lock;
    WlanSimState state = LoadWlanState();
    if (!KnownInterface(interfaceGuid, state)) return ERROR_NOT_FOUND;
    if (const long fault = InjectedFault(L"WlanDisconnect")) {
        RecordWlanEvent(L"disconnect-failed " + Flatten(state.connected));
        return static_cast<DWORD>(fault);
    }
    if (!state.disconnectSucceeds) {
        RecordWlanEvent(L"disconnect-failed " + Flatten(state.connected));
        return ERROR_ACCESS_DENIED;
    }
    RecordWlanEvent(L"disconnect " + Flatten(state.connected));
    state.connected.clear();
    SaveWlanState(state);
    // A preferred network in reach: the adapter joins it again by itself.
    if (!state.preferred.empty()) {
        StartConnect(new PendingConnect{InterfaceGuid(1), state.preferred, state.preferred, true, state.notify,
                                        state.delayMs, L"auto-connected", {}, {}});
    }
    return ERROR_SUCCESS;
}

DWORD WINAPI WlanSetProfile(HANDLE clientHandle, const GUID* interfaceGuid, DWORD flags, LPCWSTR profileXml,
                            LPCWSTR allUserProfileSecurity, WINBOOL overwrite, PVOID reserved, DWORD* reasonCode)
{
    if (reserved || !profileXml || !reasonCode) return ERROR_INVALID_PARAMETER;
    if (!ValidHandle(clientHandle)) return ERROR_INVALID_HANDLE;
    if (const long fault = InjectedFault(L"WlanSetProfile")) {
        RecordWlanEvent(L"setprofile-failed");
        *reasonCode = 0;
        return static_cast<DWORD>(fault);
    }
    // Group policy profiles cannot be set; a per-user profile takes no
    // security string; a security string must be a valid descriptor.
    if ((flags & ~static_cast<DWORD>(WLAN_PROFILE_USER)) != 0 ||
        (allUserProfileSecurity && ((flags & WLAN_PROFILE_USER) || !ValidSecurity(allUserProfileSecurity)))) {
        RecordWlanEvent(L"setprofile-refused arguments");
        return ERROR_INVALID_PARAMETER;
    }
    WlanStateLock lock;
    WlanSimState state = LoadWlanState();
    if (!KnownInterface(interfaceGuid, state)) return ERROR_NOT_FOUND;

    CheckedProfile profile;
    const std::wstring refusal = CheckProfileXml(profileXml, profile);
    RecordWlanProfile(refusal.empty(), profileXml);
    if (!refusal.empty()) {
        RecordWlanEvent(L"setprofile-refused " + refusal);
        *reasonCode = kReasonInvalidProfile;
        return ERROR_BAD_PROFILE;
    }
    std::wstring key = profile.keyMaterial;
    if (profile.protectedKey && !UnprotectKey(profile.keyMaterial, key)) {
        RecordWlanEvent(L"setprofile-refused key not ours to decrypt");
        *reasonCode = kReasonInvalidProfile;
        return ERROR_BAD_PROFILE;
    }
    WlanStoredProfile stored{profile.name, profile.ssid, profile.authentication, key, profileXml, flags};
    const auto existing = std::find_if(state.profiles.begin(), state.profiles.end(),
                                       [&](const WlanStoredProfile& p) { return SameName(p.name, profile.name); });
    if (existing == state.profiles.end()) {
        state.profiles.push_back(std::move(stored));
    } else if (!overwrite || existing->flags != flags) {
        RecordWlanEvent(L"setprofile-refused exists " + Flatten(profile.name));
        return ERROR_ALREADY_EXISTS;
    } else {
        *existing = std::move(stored);
    }
    SaveWlanState(state);
    RecordWlanEvent(L"setprofile " + Flatten(profile.name));
    *reasonCode = 0;
    return ERROR_SUCCESS;
}

DWORD WINAPI WlanGetProfile(HANDLE clientHandle, const GUID* interfaceGuid, LPCWSTR profileName, PVOID reserved,
                            LPWSTR* profileXml, DWORD* flags, DWORD* grantedAccess)
{
    if (reserved || !profileName || !profileXml) return ERROR_INVALID_PARAMETER;
    if (!ValidHandle(clientHandle)) return ERROR_INVALID_HANDLE;
    if (const long fault = InjectedFault(L"WlanGetProfile")) return static_cast<DWORD>(fault);
    const WlanSimState state = LoadWlanState();
    if (!KnownInterface(interfaceGuid, state)) return ERROR_NOT_FOUND;
    RecordWlanEvent(L"getprofile " + Flatten(profileName));
    for (const WlanStoredProfile& profile : state.profiles) {
        if (!SameName(profile.name, profileName)) continue;
        const std::wstring xml = WithProtectedKey(profile);
        auto* out = Allocate<wchar_t>((xml.size() + 1) * sizeof(wchar_t));
        if (!out) return ERROR_NOT_ENOUGH_MEMORY;
        std::memcpy(out, xml.c_str(), (xml.size() + 1) * sizeof(wchar_t));
        *profileXml = out;
        if (flags) *flags = profile.flags;
        if (grantedAccess) {
            *grantedAccess = (profile.flags & WLAN_PROFILE_GROUP_POLICY) ? kWlanExecuteAccess : kWlanWriteAccess;
        }
        return ERROR_SUCCESS;
    }
    return ERROR_NOT_FOUND;
}

// The gated calls Pairwell does not make: refused without consent, empty otherwise.
DWORD WINAPI WlanScan(HANDLE clientHandle, const GUID*, const PDOT11_SSID, const PWLAN_RAW_DATA, PVOID reserved)
{
    if (reserved) return ERROR_INVALID_PARAMETER;
    if (!ValidHandle(clientHandle)) return ERROR_INVALID_HANDLE;
    return LocationBlocks(L"scan") ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}

DWORD WINAPI WlanGetAvailableNetworkList(HANDLE clientHandle, const GUID*, DWORD, PVOID reserved,
                                         PWLAN_AVAILABLE_NETWORK_LIST* list)
{
    if (reserved || !list) return ERROR_INVALID_PARAMETER;
    if (!ValidHandle(clientHandle)) return ERROR_INVALID_HANDLE;
    if (LocationBlocks(L"available-networks")) return ERROR_ACCESS_DENIED;
    *list = Allocate<WLAN_AVAILABLE_NETWORK_LIST>(sizeof(WLAN_AVAILABLE_NETWORK_LIST));
    return *list ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
}

DWORD WINAPI WlanGetNetworkBssList(HANDLE clientHandle, const GUID*, const PDOT11_SSID, DOT11_BSS_TYPE, WINBOOL,
                                   PVOID reserved, PWLAN_BSS_LIST* list)
{
    if (reserved || !list) return ERROR_INVALID_PARAMETER;
    if (!ValidHandle(clientHandle)) return ERROR_INVALID_HANDLE;
    if (LocationBlocks(L"bss-list")) return ERROR_ACCESS_DENIED;
    *list = Allocate<WLAN_BSS_LIST>(sizeof(WLAN_BSS_LIST));
    if (*list) (*list)->dwTotalSize = sizeof(WLAN_BSS_LIST);
    return *list ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
}

DWORD WINAPI WlanRegisterNotification(HANDLE clientHandle, DWORD notifSource, WINBOOL ignoreDuplicate,
                                      WLAN_NOTIFICATION_CALLBACK callback, PVOID context, PVOID reserved,
                                      PDWORD previousSource)
{
    (void)ignoreDuplicate;
    if (reserved) return ERROR_INVALID_PARAMETER;
    if (notifSource != WLAN_NOTIFICATION_SOURCE_NONE && !callback) return ERROR_INVALID_PARAMETER;
    if (const long fault = InjectedFault(L"WlanRegisterNotification")) return static_cast<DWORD>(fault);
    {
        std::unique_lock<std::mutex> lock(clientsLock);
        const auto it = clients.find(clientHandle);
        if (it == clients.end()) return ERROR_INVALID_HANDLE;
        if (previousSource) *previousSource = it->second.registration.source;
        if (notifSource == WLAN_NOTIFICATION_SOURCE_NONE) {
            it->second.registration = Registration{};
            WaitForCallbacks(lock, clientHandle);
        } else {
            it->second.registration = Registration{callback, context, notifSource};
        }
    }
    RecordWlanEvent(notifSource == WLAN_NOTIFICATION_SOURCE_NONE ? L"unregister" : L"register");
    return ERROR_SUCCESS;
}

DWORD WINAPI WlanConnect(HANDLE clientHandle, const GUID* interfaceGuid,
                         const PWLAN_CONNECTION_PARAMETERS parameters, PVOID reserved)
{
    if (reserved || !parameters) return ERROR_INVALID_PARAMETER;
    if (!ValidHandle(clientHandle)) return ERROR_INVALID_HANDLE;
    if (parameters->wlanConnectionMode != wlan_connection_mode_profile || !parameters->strProfile) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::wstring profileName = parameters->strProfile;
    WlanSimState state = LoadWlanState();
    if (!KnownInterface(interfaceGuid, state)) return ERROR_NOT_FOUND;
    if (const long fault = InjectedFault(L"WlanConnect")) {
        RecordWlanEvent(L"connect-refused " + Flatten(profileName));
        return static_cast<DWORD>(fault);
    }
    RecordWlanEvent(L"connect " + Flatten(profileName));
    const WlanStoredProfile* profile = nullptr;
    for (const WlanStoredProfile& stored : state.profiles) {
        if (SameName(stored.name, profileName)) profile = &stored;
    }
    if (!profile) return ERROR_NOT_FOUND;

    bool accepted = false;
    for (const WlanNetwork& network : state.networks) {
        if (network.ssid != profile->ssid) continue;
        accepted = network.passphrase.empty() ? profile->authentication == L"open"
                                              : network.passphrase == profile->keyMaterial;
    }
    const bool radioOn = !state.phys.empty() && state.phys.back();
    auto* pending = new PendingConnect{*interfaceGuid,
                                       profile->name,
                                       profile->ssid,
                                       accepted && radioOn && state.connectSucceeds,
                                       state.notify,
                                       state.delayMs,
                                       L"connected",
                                       state.strayProfile,
                                       InterfaceGuid(state.strayInterface)};
    return StartConnect(pending) ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
}

// What is still open when the process ends is the adapter's census.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_DETACH) WriteCensus(kWlanCensus);
    return TRUE;
}

}  // extern "C"
