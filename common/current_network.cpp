#include "current_network.h"

#include <roapi.h>

#include "com_ptr.h"
#include "connectivity.h"
#include "unique_hstring.h"

namespace tapdeck {
namespace {

enum class Answer { NotHere, Connected, Unknown };

// What one profile tells of its WLAN connection.
struct ProfileReading {
    Answer answer = Answer::Unknown;
    GUID adapter{};
    std::wstring ssid;
};

// Connected (with its SSID and adapter), not connected or no WLAN at all,
// or no WLAN details to tell.
ProfileReading ReadProfile(sdk::IConnectionProfile* profile)
{
    ProfileReading reading;
    com_ptr<sdk::IConnectionProfile2> second;
    if (FAILED(profile->QueryInterface(__uuidof(sdk::IConnectionProfile2), second.put_void())) || !second)
        return reading;
    boolean wlan = false;
    if (FAILED(second->get_IsWlanConnectionProfile(&wlan))) return reading;
    reading.answer = Answer::NotHere;
    if (!wlan) return reading;
    com_ptr<sdk::IWlanConnectionProfileDetails> details;
    unique_hstring ssid;
    if (FAILED(second->get_WlanConnectionProfileDetails(details.put())) || !details ||
        FAILED(details->GetConnectedSsid(ssid.put())))
        return ProfileReading{};
    reading.ssid = to_wstring(ssid.get());
    if (reading.ssid.empty()) return reading;
    com_ptr<sdk::INetworkAdapter> networkAdapter;
    if (FAILED(profile->get_NetworkAdapter(networkAdapter.put())) || !networkAdapter ||
        FAILED(networkAdapter->get_NetworkAdapterId(&reading.adapter)))
        return ProfileReading{};
    reading.answer = Answer::Connected;
    return reading;
}

// Reads every profile; calls `connected` for each connected one until it
// returns true. False when a profile could not tell or the source failed.
template <typename Visit>
bool VisitConnectedProfiles(Visit connected)
{
    com_ptr<sdk::INetworkInformationStatics> statics;
    const hstring_ref className(sdk::RuntimeClass_NetworkInformation);
    if (FAILED(::RoGetActivationFactory(className.get(), __uuidof(sdk::INetworkInformationStatics),
                                        statics.put_void())) ||
        !statics)
        return false;
    com_ptr<sdk::IConnectionProfileVectorView> profiles;
    UINT32 count = 0;
    if (FAILED(statics->GetConnectionProfiles(profiles.put())) || !profiles || FAILED(profiles->get_Size(&count)))
        return false;
    // Every profile is read: one that cannot tell makes "none connected" unsure.
    bool sure = true;
    for (UINT32 i = 0; i < count; ++i) {
        com_ptr<sdk::IConnectionProfile> profile;
        if (FAILED(profiles->GetAt(i, profile.put())) || !profile) {
            sure = false;
            continue;
        }
        const ProfileReading reading = ReadProfile(profile.get());
        if (reading.answer == Answer::Unknown) sure = false;
        if (reading.answer == Answer::Connected && connected(profile.get(), reading)) return true;
    }
    return sure;
}

}  // namespace

std::optional<std::wstring> ConnectedProfileOn(const GUID& adapter)
{
    std::optional<std::wstring> name;
    bool unnamed = false;
    const bool sure = VisitConnectedProfiles([&](sdk::IConnectionProfile* profile, const ProfileReading& reading) {
        if (!::IsEqualGUID(reading.adapter, adapter)) return false;
        unique_hstring profileName;
        if (FAILED(profile->get_ProfileName(profileName.put()))) {
            unnamed = true;  // cannot tell: the next one may
            return false;
        }
        name = to_wstring(profileName.get());
        return true;
    });
    if (name) return name;
    if (!sure || unnamed) return std::nullopt;
    return std::wstring();
}

std::wstring ConnectedSsid()
{
    std::wstring ssid;
    VisitConnectedProfiles([&](sdk::IConnectionProfile*, const ProfileReading& reading) {
        ssid = reading.ssid;
        return true;
    });
    return ssid;
}

}  // namespace tapdeck
