#pragma once
// The WLAN profile that Pairwell writes for the camera's network.
#include <string>
#include <string_view>

// Security names, profile names and switches are compared as the service does.
#include "compare_no_case.h"

namespace tapdeck::pairwell {

struct WlanProfileParams {
    std::wstring profileName;
    std::wstring ssidName;
    // The SSID's exact bytes as hexadecimal digits, for a name that text
    // cannot hold; empty: the name alone says it.
    std::wstring ssidHex;
    std::wstring connectionType;
    std::wstring connectionMode;
    bool autoSwitch = false;
    std::wstring authentication;
    std::wstring encryption;
    bool useOneX = false;
    std::wstring keyType;
    bool protectedKey = false;
    std::wstring keyMaterial;
};

// The SSID's bytes as hexadecimal digits when one of them is outside
// printable ASCII: without <hex> the service turns <name> into ASCII and
// looks for another network. Empty for a printable ASCII SSID, whose
// profile names it by <name> alone.
std::wstring SsidHex(std::string_view ssidBytes);

// The camera payload names no security type: Pairwell always asks for this.
inline constexpr wchar_t kCameraSecurity[] = L"WPA2 PSK";

// Named after the network, ESS, manual, WPA2-Personal with AES for
// kCameraSecurity; other security names map as the table in the .cpp says.
void FillProfileParams(WlanProfileParams& params, const std::wstring& ssid, const std::wstring& passphrase,
                       std::wstring_view security = kCameraSecurity);

// One line of UTF-16 XML in the Windows WLAN profile schema (v1), no white
// space between elements. Values are escaped so that the parsed profile
// holds exactly them.
std::wstring BuildProfileXml(const WlanProfileParams& params);

}  // namespace tapdeck::pairwell
