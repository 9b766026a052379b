#pragma once
// Standard Wi-Fi tags: an NDEF message with a media-type record
// "application/vnd.wfa.wsc" holding Wi-Fi Simple Configuration attributes
// (big-endian type, length, value). Phones, routers' stickers and tag-writer
// apps write them. The agent passes the whole message as hexadecimal text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tapdeck {

// True when the text is an NDEF message whose first record has the Wi-Fi
// Simple Configuration media type. Everything else (a camera's record
// first, whatever follows it) is left to the camera's decoder, exactly as
// before.
bool IsWscMessage(std::wstring_view hexText);

enum class WscSecurity {
    Open,         // open, no encryption
    WpaPersonal,  // WPA-Personal
    Wpa2Personal  // WPA2-Personal
};

// One credential this PC can use. The bytes are the tag's, unchanged.
struct WscNetwork {
    std::string ssid;  // 1 to 32 bytes
    std::string key;   // empty for an open network; else 8-63 printable
                       // ASCII characters or 64 hexadecimal digits
    WscSecurity security = WscSecurity::Open;
    // The personal networks' cipher: AES, else TKIP. A tag that allows both
    // gets AES for WPA2 and TKIP for WPA, and one that names none the same.
    bool aes = true;
};

enum class WscOutcome {
    Malformed,     // anything that does not decode: ends quietly
    NoCredential,  // a password token, a handover message: nothing to join
    Unsupported,   // only credentials of a kind this PC cannot join
    Usable         // network holds the first usable credential
};

struct WscTag {
    WscOutcome outcome = WscOutcome::Malformed;
    WscNetwork network;
};

// The first credential whose security this PC can use, from the message's
// Wi-Fi Simple Configuration records in their order. Every length is
// checked against what remains.
WscTag DecodeWscMessage(std::wstring_view hexText);

// The same from the message's bytes.
WscTag DecodeWscBytes(std::string_view message);

}  // namespace tapdeck
