#pragma once
// The WLAN profile for the network of a standard Wi-Fi tag.
#include <string>
#include <string_view>

#include "wlan_profile.h"
#include "wsc_decoder.h"

namespace tapdeck::pairwell {

// Named after the network (WscNetworkName), ESS, manual; open/none,
// WPAPSK/TKIP or WPA2PSK/AES; a key of 64 hexadecimal digits is the raw key
// ("networkKey"), any other a passphrase. An SSID that is not UTF-8 text
// goes into <hex> as well, so that the network is matched by its bytes.
void FillWscProfileParams(WlanProfileParams& params, const WscNetwork& network);

// The network's name as the user reads it and as its profile is named: the
// SSID as UTF-8 text; when its bytes are not text an XML profile can hold,
// the printable ASCII among them with "?" for each other byte.
std::wstring WscNetworkName(std::string_view ssid);

// True when the SSID's bytes are UTF-8 text that an XML profile can hold.
bool IsTextSsid(std::string_view ssid);

}  // namespace tapdeck::pairwell
