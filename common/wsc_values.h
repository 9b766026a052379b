#pragma once
// A standard Wi-Fi tag's bytes, named once for the tag's reader and its
// writer: NDEF records, the first of media type "application/vnd.wfa.wsc",
// holding Wi-Fi Simple Configuration attributes (big-endian type, length,
// value).
#include <cstddef>
#include <string_view>

#include "hex.h"

namespace tapdeck::wsc {

inline constexpr std::string_view kMediaType = "application/vnd.wfa.wsc";

// NDEF record header flags and type name formats.
inline constexpr unsigned kMessageBegin = 0x80;
inline constexpr unsigned kMessageEnd = 0x40;
inline constexpr unsigned kChunked = 0x20;
inline constexpr unsigned kShortRecord = 0x10;
inline constexpr unsigned kIdPresent = 0x08;
inline constexpr unsigned kTnfMask = 0x07;
inline constexpr unsigned kTnfMedia = 0x02;

// Attributes.
inline constexpr unsigned kAttrAuthType = 0x1003;
inline constexpr unsigned kAttrCredential = 0x100E;
inline constexpr unsigned kAttrEncrType = 0x100F;
inline constexpr unsigned kAttrMacAddress = 0x1020;
inline constexpr unsigned kAttrNetworkIndex = 0x1026;
inline constexpr unsigned kAttrNetworkKey = 0x1027;
inline constexpr unsigned kAttrSsid = 0x1045;
inline constexpr unsigned kAttrVendorExtension = 0x1049;
inline constexpr unsigned kAttrVersion = 0x104A;

// Authentication and encryption type values.
inline constexpr unsigned kAuthOpen = 0x0001;
inline constexpr unsigned kAuthWpaPersonal = 0x0002;
inline constexpr unsigned kAuthWpa2Personal = 0x0020;
inline constexpr unsigned kAuthWpaWpa2Personal = 0x0022;
inline constexpr unsigned kEncrNone = 0x0001;
inline constexpr unsigned kEncrTkip = 0x0004;
inline constexpr unsigned kEncrAes = 0x0008;
inline constexpr unsigned kEncrAesTkip = 0x000C;

inline constexpr size_t kMaxSsidBytes = 32;
// A network key: 8 to 63 printable ASCII characters, or 64 hexadecimal digits.
inline constexpr size_t kMinPassphrase = 8;
inline constexpr size_t kMaxPassphrase = 63;
inline constexpr size_t kRawKeyDigits = 64;

inline bool IsNetworkKey(std::string_view key)
{
    if (key.size() == kRawKeyDigits) return IsHexDigits(key);
    if (key.size() < kMinPassphrase || key.size() > kMaxPassphrase) return false;
    for (const char c : key)
        if (c < 0x20 || c > 0x7e) return false;
    return true;
}

}  // namespace tapdeck::wsc
