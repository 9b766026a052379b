#pragma once
// What the Native Wifi service checks before it stores a profile: well-formed
// XML 1.0, the WLAN profile schema (v1) with the elements a personal network
// needs, and a key that fits the authentication.
#include <windows.h>
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
    // The key material is the service's encrypted form, not the key.
    bool protectedKey = false;
};

// Empty on success; otherwise why the profile is refused.
std::wstring CheckProfileXml(std::wstring_view xml, CheckedProfile& profile);

struct WlanSimState;
// A profile the user made (not Pairwell), or that group policy put there
// (flags as WlanSetProfile takes them), stored under its own name in place
// of one of that name. Empty on success; otherwise why it is refused.
std::wstring AddUserProfile(WlanSimState& state, const std::wstring& xml, DWORD flags = 0);

}  // namespace tapdeck::sim
