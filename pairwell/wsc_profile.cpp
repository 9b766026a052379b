#include "wsc_profile.h"

#include <windows.h>

namespace tapdeck::pairwell {
namespace {

constexpr size_t kRawKeyDigits = 64;

bool DecodeUtf8(std::string_view bytes, std::wstring& text)
{
    text.clear();
    if (bytes.empty()) return true;
    const int size = static_cast<int>(bytes.size());
    const int count = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (count <= 0) return false;
    text.resize(static_cast<size_t>(count));
    return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, text.data(), count) == count;
}

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

std::wstring ToHexDigits(std::string_view bytes)
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring hex;
    for (const char c : bytes) {
        const unsigned byte = static_cast<unsigned char>(c);
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

std::wstring Widen(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace

bool IsTextSsid(std::string_view ssid)
{
    std::wstring text;
    return DecodeUtf8(ssid, text) && HoldableInXml(text);
}

std::wstring WscNetworkName(std::string_view ssid)
{
    std::wstring text;
    if (DecodeUtf8(ssid, text) && HoldableInXml(text)) return text;
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
    params.ssidHex = IsTextSsid(network.ssid) ? std::wstring() : ToHexDigits(network.ssid);
    params.connectionType = L"ESS";
    params.connectionMode = L"manual";
    params.autoSwitch = false;
    switch (network.security) {
    case WscSecurity::Open:
        params.authentication = L"open";
        params.encryption = L"none";
        break;
    case WscSecurity::WpaPersonal:
        params.authentication = L"WPAPSK";
        params.encryption = L"TKIP";
        break;
    case WscSecurity::Wpa2Personal:
        params.authentication = L"WPA2PSK";
        params.encryption = L"AES";
        break;
    }
    params.useOneX = false;
    // The decoder lets through only 8-63 printable characters or 64 digits.
    params.keyType = network.key.size() == kRawKeyDigits ? L"networkKey" : L"passPhrase";
    params.protectedKey = false;
    params.keyMaterial = Widen(network.key);
}

}  // namespace tapdeck::pairwell
