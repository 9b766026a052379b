#include "current_network.h"

#include <roapi.h>

#include "com_ptr.h"
#include "connectivity.h"
#include "unique_hstring.h"

namespace tapdeck::pairwell {
namespace {

enum class Answer { NotHere, Connected, Unknown };

// One profile: connected on this adapter, on another or not at all, or no
// WLAN details to tell.
Answer ReadProfile(sdk::IConnectionProfile* profile, const GUID& adapter, std::wstring& name)
{
    com_ptr<sdk::IConnectionProfile2> second;
    if (FAILED(profile->QueryInterface(__uuidof(sdk::IConnectionProfile2), second.put_void())) || !second)
        return Answer::Unknown;
    boolean wlan = false;
    if (FAILED(second->get_IsWlanConnectionProfile(&wlan))) return Answer::Unknown;
    if (!wlan) return Answer::NotHere;
    com_ptr<sdk::IWlanConnectionProfileDetails> details;
    unique_hstring ssid;
    if (FAILED(second->get_WlanConnectionProfileDetails(details.put())) || !details ||
        FAILED(details->GetConnectedSsid(ssid.put())))
        return Answer::Unknown;
    if (to_wstring(ssid.get()).empty()) return Answer::NotHere;
    com_ptr<sdk::INetworkAdapter> networkAdapter;
    GUID id{};
    if (FAILED(profile->get_NetworkAdapter(networkAdapter.put())) || !networkAdapter ||
        FAILED(networkAdapter->get_NetworkAdapterId(&id)))
        return Answer::Unknown;
    if (!::IsEqualGUID(id, adapter)) return Answer::NotHere;
    unique_hstring profileName;
    if (FAILED(profile->get_ProfileName(profileName.put()))) return Answer::Unknown;
    name = to_wstring(profileName.get());
    return Answer::Connected;
}

}  // namespace

std::optional<std::wstring> ConnectedProfileOn(const GUID& adapter)
{
    com_ptr<sdk::INetworkInformationStatics> statics;
    const hstring_ref className(sdk::RuntimeClass_NetworkInformation);
    if (FAILED(::RoGetActivationFactory(className.get(), __uuidof(sdk::INetworkInformationStatics),
                                        statics.put_void())) ||
        !statics)
        return std::nullopt;
    com_ptr<sdk::IConnectionProfileVectorView> profiles;
    UINT32 count = 0;
    if (FAILED(statics->GetConnectionProfiles(profiles.put())) || !profiles || FAILED(profiles->get_Size(&count)))
        return std::nullopt;
    // Every profile is read: one that cannot tell makes "none connected" unsure.
    bool sure = true;
    for (UINT32 i = 0; i < count; ++i) {
        com_ptr<sdk::IConnectionProfile> profile;
        if (FAILED(profiles->GetAt(i, profile.put())) || !profile) {
            sure = false;
            continue;
        }
        std::wstring name;
        switch (ReadProfile(profile.get(), adapter, name)) {
        case Answer::Connected: return name;
        case Answer::Unknown: sure = false; break;
        case Answer::NotHere: break;
        }
    }
    if (!sure) return std::nullopt;
    return std::wstring();
}

}  // namespace tapdeck::pairwell
