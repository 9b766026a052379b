// activation_floor.exe SSID PASSPHRASE APP-USER-MODEL-ID: the floor of a
// camera touch's way to the companion app, which is what the platform must
// do on that way and nothing of ours. A GUI program starts and joins the
// multithreaded apartment; connects to the camera's network with the fewest
// Wi-Fi calls (open, the interface, the profile, connect, its completion,
// close); then asks the activation manager, a local server that COM starts
// when nobody runs it, to activate the app. No payload, no profile file, no
// radio or connection checks, no toast. After the activation it stamps its
// first act and the start of the activation among the stand-ins' stamps.
#include <windows.h>
#include <roapi.h>
#include <shellapi.h>
#include <shobjidl.h>
#include <wlanapi.h>

#include <string>

#include "com_ptr.h"
#include "sim_state.h"
#include "unique_handle.h"

namespace {

constexpr DWORD kConnectTimeoutMs = 10000;

LONGLONG Counter()
{
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void WINAPI OnNotification(PWLAN_NOTIFICATION_DATA data, PVOID connected)
{
    if (data && data->NotificationSource == WLAN_NOTIFICATION_SOURCE_ACM &&
        data->NotificationCode == wlan_notification_acm_connection_complete)
        ::SetEvent(static_cast<HANDLE>(connected));
}

std::wstring ProfileXml(const std::wstring& ssid, const std::wstring& passphrase)
{
    return L"<?xml version=\"1.0\"?><WLANProfile xmlns=\"http://www.microsoft.com/networking/WLAN/profile/v1\"><name>" +
           ssid + L"</name><SSIDConfig><SSID><name>" + ssid +
           L"</name></SSID></SSIDConfig><connectionType>ESS</connectionType><connectionMode>manual</connectionMode>"
           L"<autoSwitch>false</autoSwitch><MSM><security><authEncryption><authentication>WPA2PSK</authentication>"
           L"<encryption>AES</encryption><useOneX>false</useOneX></authEncryption><sharedKey><keyType>passPhrase"
           L"</keyType><protected>false</protected><keyMaterial>" +
           passphrase + L"</keyMaterial></sharedKey></security></MSM></WLANProfile>";
}

bool Connect(const std::wstring& ssid, const std::wstring& passphrase)
{
    DWORD negotiated = 0;
    HANDLE client = nullptr;
    if (::WlanOpenHandle(2, nullptr, &negotiated, &client) != ERROR_SUCCESS) return false;
    bool connected = false;
    PWLAN_INTERFACE_INFO_LIST list = nullptr;
    tapdeck::unique_event completion(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (::WlanEnumInterfaces(client, nullptr, &list) == ERROR_SUCCESS && list && list->dwNumberOfItems > 0) {
        const GUID guid = list->InterfaceInfo[0].InterfaceGuid;
        DWORD reason = 0;
        WLAN_CONNECTION_PARAMETERS parameters{};
        parameters.wlanConnectionMode = wlan_connection_mode_profile;
        parameters.strProfile = ssid.c_str();
        parameters.dot11BssType = dot11_BSS_type_any;
        if (::WlanSetProfile(client, &guid, 0, ProfileXml(ssid, passphrase).c_str(), nullptr, TRUE, nullptr, &reason) ==
                ERROR_SUCCESS &&
            ::WlanRegisterNotification(client, WLAN_NOTIFICATION_SOURCE_ACM, FALSE, OnNotification, completion.get(),
                                       nullptr, nullptr) == ERROR_SUCCESS) {
            connected = ::WlanConnect(client, &guid, &parameters, nullptr) == ERROR_SUCCESS &&
                        ::WaitForSingleObject(completion.get(), kConnectTimeoutMs) == WAIT_OBJECT_0;
            ::WlanRegisterNotification(client, WLAN_NOTIFICATION_SOURCE_NONE, FALSE, nullptr, nullptr, nullptr,
                                       nullptr);
        }
    }
    if (list) ::WlanFreeMemory(list);
    ::WlanCloseHandle(client, nullptr);
    return connected;
}

bool Activate(const wchar_t* appUserModelId)
{
    tapdeck::com_ptr<IApplicationActivationManager> manager;
    if (FAILED(::CoCreateInstance(CLSID_ApplicationActivationManager, nullptr, CLSCTX_LOCAL_SERVER,
                                  IID_IApplicationActivationManager, manager.put_void())) ||
        !manager)
        return false;
    ::CoAllowSetForegroundWindow(manager.get(), nullptr);
    DWORD processId = 0;
    return SUCCEEDED(manager->ActivateApplication(appUserModelId, nullptr, AO_NONE, &processId));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const LONGLONG firstAct = Counter();
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc != 4) return 2;
    const std::wstring ssid = argv[1];
    const std::wstring passphrase = argv[2];
    const std::wstring appUserModelId = argv[3];
    ::LocalFree(argv);
    if (FAILED(::RoInitialize(RO_INIT_MULTITHREADED))) return 1;
    const bool connected = Connect(ssid, passphrase);
    const LONGLONG activating = Counter();
    const bool activated = connected && Activate(appUserModelId.c_str());
    ::RoUninitialize();
    tapdeck::sim::AppendStamp(firstAct, L"bench", L"first-act");
    tapdeck::sim::AppendStamp(activating, L"bench", L"activating");
    return activated ? 0 : 1;
}
