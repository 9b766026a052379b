#pragma once
// The WLAN profile for the network of a standard Wi-Fi tag.
#include <string>
#include <string_view>

#include "wlan_profile.h"
#include "wsc_decoder.h"

namespace tapdeck::pairwell {

// Named after the network (WscNetworkName), ESS, auto (it connects by itself
// later, as a network the user joined by hand does); open/none, WPAPSK or
// WPA2PSK with TKIP or AES as the tag says; a key of 64 hexadecimal digits is
// the raw key ("networkKey"), any other a passphrase. An SSID with a byte
// outside printable ASCII goes into <hex> as well, so that the network is
// matched by its bytes.
void FillWscProfileParams(WlanProfileParams& params, const WscNetwork& network);

// The user's own profile of the tag's network (as the service returned it)
// with the tag's key in place of its own; everything else stays the user's.
// Empty when it already holds that key in plain text, so that nothing needs
// writing. A profile whose security no longer fits the tag's (an open one
// for a network that now has a key, or the other way round) is replaced by
// the tag's own profile.
std::wstring UserProfileWithKey(const std::wstring& userXml, const WlanProfileParams& tag);

// The network's name as the user reads it and as its profile is named: the
// SSID as UTF-8 text; when its bytes are not text an XML profile can hold,
// the printable ASCII among them with "?" for each other byte.
std::wstring WscNetworkName(std::string_view ssid);

// True when the SSID's bytes are UTF-8 text that an XML profile can hold.
bool IsTextSsid(std::string_view ssid);

}  // namespace tapdeck::pairwell
