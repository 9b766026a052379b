#include "wlan_profile.h"

#include <windows.h>

#include "hex.h"
#include "xml_escape.h"

namespace tapdeck::pairwell {
namespace {

constexpr wchar_t kProfileNamespace[] = L"http://www.microsoft.com/networking/WLAN/profile/v1";

const wchar_t* Flag(bool value) { return value ? L"true" : L"false"; }

}  // namespace

std::wstring SsidHex(std::string_view ssidBytes)
{
    for (const char c : ssidBytes) {
        const unsigned byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E) return ToHex(ssidBytes, HexCase::Upper);
    }
    return {};
}

void FillProfileParams(WlanProfileParams& params, const std::wstring& ssid, const std::wstring& passphrase,
                       std::wstring_view security)
{
    params.profileName = ssid;
    params.ssidName = ssid;
    params.connectionType = L"ESS";
    params.connectionMode = L"manual";
    params.autoSwitch = false;
    if (EqualsNoCase(security, L"WPA PSK")) {
        params.authentication = L"WPAPSK";
        params.encryption = L"TKIP";
    } else if (EqualsNoCase(security, L"WPA2 PSK")) {
        params.authentication = L"WPA2PSK";
        params.encryption = L"AES";
    } else if (EqualsNoCase(security, L"open")) {
        params.authentication = L"open";
        params.encryption = L"none";
    } else {
        params.authentication = std::wstring(security);
        params.encryption.clear();
    }
    params.useOneX = false;
    params.keyType = L"passPhrase";
    params.protectedKey = false;
    params.keyMaterial = passphrase;
}

std::wstring BuildProfileXml(const WlanProfileParams& params)
{
    std::wstring xml = L"<?xml version=\"1.0\"?><WLANProfile xmlns=\"";
    xml += kProfileNamespace;
    xml += L"\"><name>";
    xml += EscapeXml(params.profileName);
    xml += L"</name><SSIDConfig><SSID>";
    // The service matches the network by the hex bytes when they are given.
    if (!params.ssidHex.empty()) {
        xml += L"<hex>";
        xml += EscapeXml(params.ssidHex);
        xml += L"</hex>";
    }
    xml += L"<name>";
    xml += EscapeXml(params.ssidName);
    xml += L"</name></SSID></SSIDConfig><connectionType>";
    xml += EscapeXml(params.connectionType);
    xml += L"</connectionType><connectionMode>";
    xml += EscapeXml(params.connectionMode);
    xml += L"</connectionMode><autoSwitch>";
    xml += Flag(params.autoSwitch);
    xml += L"</autoSwitch><MSM><security><authEncryption><authentication>";
    xml += EscapeXml(params.authentication);
    xml += L"</authentication><encryption>";
    xml += EscapeXml(params.encryption);
    xml += L"</encryption><useOneX>";
    xml += Flag(params.useOneX);
    xml += L"</useOneX></authEncryption>";
    if (!EqualsNoCase(params.authentication, L"open")) {
        xml += L"<sharedKey><keyType>";
        xml += EscapeXml(params.keyType);
        xml += L"</keyType><protected>";
        xml += Flag(params.protectedKey);
        xml += L"</protected><keyMaterial>";
        xml += EscapeXml(params.keyMaterial);
        xml += L"</keyMaterial></sharedKey>";
    }
    xml += L"</security></MSM></WLANProfile>";
    return xml;
}

}  // namespace tapdeck::pairwell
