#include "wlan_profile.h"

#include <windows.h>

#include "hex.h"
#include "xml_escape.h"

namespace tapdeck::pairwell {
namespace {

constexpr wchar_t kProfileNamespace[] = L"http://www.microsoft.com/networking/WLAN/profile/v1";

const wchar_t* Flag(bool value) { return value ? L"true" : L"false"; }

// <name>value</name>, the value escaped.
std::wstring Element(const wchar_t* name, std::wstring_view value)
{
    return std::wstring(L"<") + name + L">" + EscapeXml(value) + L"</" + name + L">";
}

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
    xml += L"\">" + Element(L"name", params.profileName) + L"<SSIDConfig><SSID>";
    // The service matches the network by the hex bytes when they are given.
    if (!params.ssidHex.empty()) xml += Element(L"hex", params.ssidHex);
    xml += Element(L"name", params.ssidName) + L"</SSID></SSIDConfig>";
    xml += Element(L"connectionType", params.connectionType) + Element(L"connectionMode", params.connectionMode);
    xml += Element(L"autoSwitch", Flag(params.autoSwitch)) + L"<MSM><security><authEncryption>";
    xml += Element(L"authentication", params.authentication) + Element(L"encryption", params.encryption);
    xml += Element(L"useOneX", Flag(params.useOneX)) + L"</authEncryption>";
    if (!EqualsNoCase(params.authentication, L"open")) {
        xml += L"<sharedKey>" + Element(L"keyType", params.keyType) + Element(L"protected", Flag(params.protectedKey));
        xml += Element(L"keyMaterial", params.keyMaterial) + L"</sharedKey>";
    }
    xml += L"</security></MSM></WLANProfile>";
    return xml;
}

}  // namespace tapdeck::pairwell
