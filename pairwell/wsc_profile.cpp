#include "wsc_profile.h"

#include <windows.h>

#include "utf8.h"
#include "wsc_values.h"
#include "xml_escape.h"

namespace tapdeck::pairwell {
namespace {

// Control characters are not XML 1.0 text (tab and line ends would not
// survive a reader's white-space handling either); U+FFFE and U+FFFF are
// not characters.
bool HoldableInXml(std::wstring_view text)
{
    for (const wchar_t c : text) {
        if (c < 0x20 || c == 0xFFFE || c == 0xFFFF) return false;
    }
    return true;
}

}  // namespace

bool IsTextSsid(std::string_view ssid)
{
    std::wstring text;
    return FromUtf8Strict(ssid, text) && HoldableInXml(text);
}

std::wstring WscNetworkName(std::string_view ssid)
{
    std::wstring text;
    if (FromUtf8Strict(ssid, text) && HoldableInXml(text)) return text;
    text.clear();
    for (const char c : ssid) {
        const unsigned byte = static_cast<unsigned char>(c);
        text += byte >= 0x20 && byte <= 0x7E ? static_cast<wchar_t>(byte) : L'?';
    }
    return text;
}

void FillWscProfileParams(WlanProfileParams& params, const WscNetwork& network)
{
    params.profileName = WscNetworkName(network.ssid);
    params.ssidName = params.profileName;
    params.ssidHex = SsidHex(network.ssid);
    params.connectionType = L"ESS";
    params.connectionMode = L"auto";
    params.autoSwitch = false;
    switch (network.security) {
    case WscSecurity::Open:
        params.authentication = L"open";
        params.encryption = L"none";
        break;
    case WscSecurity::WpaPersonal:
        params.authentication = L"WPAPSK";
        params.encryption = network.aes ? L"AES" : L"TKIP";
        break;
    case WscSecurity::Wpa2Personal:
        params.authentication = L"WPA2PSK";
        params.encryption = network.aes ? L"AES" : L"TKIP";
        break;
    }
    params.useOneX = false;
    // The decoder lets through only 8-63 printable characters or 64 digits.
    params.keyType = network.key.size() == wsc::kRawKeyDigits ? L"networkKey" : L"passPhrase";
    params.protectedKey = false;
    params.keyMaterial = FromUtf8(network.key);
}

std::wstring UserProfileWithKey(const std::wstring& userXml, const WlanProfileParams& tag)
{
    static constexpr std::wstring_view kOpen = L"<keyMaterial>";
    static constexpr std::wstring_view kClose = L"</keyMaterial>";
    const bool tagHasKey = !EqualsNoCase(tag.authentication, L"open");
    const size_t open = userXml.find(kOpen);
    const size_t close = userXml.find(kClose);
    const bool userHasKey = open != std::wstring::npos && close != std::wstring::npos && close > open;
    if (!tagHasKey && !userHasKey) return {};
    if (tagHasKey != userHasKey) return BuildProfileXml(tag);

    const size_t start = open + kOpen.size();
    const std::wstring key = EscapeXml(tag.keyMaterial);
    const bool plain = userXml.find(L"<protected>false</protected>") != std::wstring::npos ||
                       userXml.find(L"<protected>") == std::wstring::npos;
    if (plain && userXml.compare(start, close - start, key) == 0) return {};
    std::wstring xml = userXml;
    xml.replace(start, close - start, key);
    // The service hands the key out encrypted; the tag's goes back in plain text.
    static constexpr std::wstring_view kProtected = L"<protected>true</protected>";
    const size_t flag = xml.find(kProtected);
    if (flag != std::wstring::npos) xml.replace(flag, kProtected.size(), L"<protected>false</protected>");
    return xml;
}

}  // namespace tapdeck::pairwell
