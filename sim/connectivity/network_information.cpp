// Windows.Networking.Connectivity.NetworkInformation stand-in: the PC's
// connection profiles, read from the Wi-Fi adapter stand-in's world, so that
// a program can learn the current WLAN network where the Native Wifi query
// of it is refused.
//
// Windows rules modelled (documentation page titles in quotes):
// - "Changes to API behavior for Wi-Fi access and location": the connected
//   SSID of a WLAN profile (WlanConnectionProfileDetails.GetConnectedSsid)
//   stays readable without location consent; the page names it for exactly
//   that. GetLanIdentifiers, which that page gates, is not served.
// - "NetworkInformation.GetConnectionProfiles": profiles "active or
//   otherwise": every stored WLAN profile, and the one in use; GetConnectedSsid
//   is empty for a profile that is not connected.
// - "ConnectionProfile.IsWlanConnectionProfile" and ".WlanConnectionProfileDetails"
//   live on the class's second interface, IConnectionProfile2; with
//   `simctl connectivity-windows 8` the profiles lack it, as on Windows 8.
// - "ConnectionProfile.NetworkAdapter": NetworkAdapterId is the Native Wifi
//   interface GUID of the adapter the profile is on (here always the first).
// Not modelled: connectivity levels beyond local access, costs, data plans,
// network names, the status-changed event, the internet profile (none: a
// camera's network has no internet).
#include <windows.h>
#include <activation.h>
#include <winstring.h>

#include "census.h"
#include "connection_profile.h"
#include "fault.h"
#include "runtime_module.h"
#include "wlan_sim_state.h"

using namespace tapdeck::sim;

namespace {

inline constexpr wchar_t kConnectivityCensus[] = L"connectivity";

class CNetworkInformationStatics final : public RtSingleton<IActivationFactory, sdk::INetworkInformationStatics> {
public:
    static CNetworkInformationStatics& Instance()
    {
        static CNetworkInformationStatics statics;
        return statics;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable) || iid == __uuidof(IActivationFactory)) {
            *object = static_cast<IActivationFactory*>(this);
        } else if (iid == __uuidof(sdk::INetworkInformationStatics)) {
            *object = static_cast<sdk::INetworkInformationStatics*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    // A static class: nothing to make.
    HRESULT STDMETHODCALLTYPE ActivateInstance(IInspectable** instance) override
    {
        if (instance) *instance = nullptr;
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE GetConnectionProfiles(sdk::IConnectionProfileVectorView** profiles) override
    {
        if (!profiles) return E_POINTER;
        *profiles = nullptr;
        if (const long fault = InjectedFault(L"GetConnectionProfiles")) return fault;
        const WlanSimState state = LoadWlanState();
        RecordWlanEvent(L"connectivity-profiles");
        const bool connected = !state.connected.empty() && state.connectionState == 1;
        std::vector<ProfileFacts> facts;
        bool currentListed = false;
        for (const WlanStoredProfile& stored : state.profiles) {
            const bool current = connected && stored.name == state.connected;
            currentListed = currentListed || current;
            facts.push_back({stored.name, stored.ssid, current, WlanInterfaceGuid(1), state.connectivityDetails});
        }
        // A connection the adapter made from a profile the world does not list.
        if (connected && !currentListed) {
            facts.push_back({state.connected, state.connected, true, WlanInterfaceGuid(1), state.connectivityDetails});
        }
        *profiles = new CProfileList(facts);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetInternetConnectionProfile(sdk::IConnectionProfile** profile) override
    {
        if (!profile) return E_POINTER;
        *profile = nullptr;
        return S_OK;
    }

private:
    CNetworkInformationStatics() : RtSingleton(L"Windows.Networking.Connectivity.NetworkInformation (statics)") {}
    const wchar_t* ClassName() const override { return sdk::RuntimeClass_NetworkInformation; }
};

}  // namespace

TAPDECK_SIM_RUNTIME_MODULE(kConnectivityCensus,
                           {{sdk::RuntimeClass_NetworkInformation, KeptFactory<CNetworkInformationStatics>}})
