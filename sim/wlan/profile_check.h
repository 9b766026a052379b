#pragma once
// What the Native Wifi service checks before it stores a profile: well-formed
// XML 1.0, the WLAN profile schema (v1) with the elements a personal network
// needs, and a key that fits the authentication.
#include <string>
#include <string_view>

namespace tapdeck::sim {

struct CheckedProfile {
    std::wstring name;
    std::wstring ssid;
    std::wstring connectionType;
    std::wstring connectionMode;
    std::wstring authentication;
    std::wstring encryption;
    std::wstring keyType;
    std::wstring keyMaterial;
};

// Empty on success; otherwise why the profile is refused.
std::wstring CheckProfileXml(std::wstring_view xml, CheckedProfile& profile);

}  // namespace tapdeck::sim
