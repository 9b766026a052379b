#pragma once
// Standard Wi-Fi tags as phones read them: one NDEF record of media type
// "application/vnd.wfa.wsc" holding a Wi-Fi Simple Configuration
// configuration token (big-endian type, length, value attributes): Version
// 0x10, one Credential (Network Index 1, SSID, Authentication Type,
// Encryption Type, Network Key, MAC Address ff:ff:ff:ff:ff:ff), and the
// Wi-Fi Alliance vendor extension carrying Version2 0x20.
#include <string>
#include <string_view>

namespace tapdeck {

enum class WscWriteSecurity {
    Wpa2Personal,  // WPA2-Personal with AES
    WpaPersonal,   // WPA-Personal with TKIP
    Open           // no authentication, no encryption
};

// Why a network cannot be written; None when it can.
enum class WscWriteProblem {
    None,
    NameLength,  // the name is not 1 to 32 bytes in UTF-8
    Passphrase   // not 8 to 63 printable ASCII characters, nor 64 hexadecimal digits
};

// The checks a network passes before it is written. An open network's key
// is not looked at.
WscWriteProblem CheckWscNetwork(std::string_view ssid, std::string_view key, WscWriteSecurity security);

// The NDEF message for the network, as bytes; empty when it does not pass
// the checks. An open network carries an empty Network Key.
std::string EncodeWscMessage(std::string_view ssid, std::string_view key, WscWriteSecurity security);

}  // namespace tapdeck
