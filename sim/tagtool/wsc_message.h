#pragma once
// Standard Wi-Fi tags as phones and tag-writer apps write them: an NDEF
// message with a media-type record "application/vnd.wfa.wsc" holding Wi-Fi
// Simple Configuration attributes (big-endian type, length, value).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tapdeck::sim {

struct WscCredentialFields {
    std::string ssid;
    std::string key;                      // empty: none written for open networks
    unsigned auth = 0x0020;               // WPA2-Personal
    std::optional<unsigned> encr = 0x0008;  // AES; nullopt: not written
    bool optionalFields = true;           // network index and MAC address
};

// One attribute: type, length, value.
std::string WscAttribute(unsigned type, std::string_view value);
// A Credential attribute (0x100E).
std::string WscCredential(const WscCredentialFields& credential);
// A configuration token: Version, the credentials, the WFA vendor extension.
std::string WscConfigurationPayload(const std::vector<WscCredentialFields>& credentials);
// A password token: Version, an OOB device password, the vendor extension;
// no network settings.
std::string WscPasswordTokenPayload();

struct NdefRecordFields {
    unsigned tnf = 2;
    std::string type;
    std::string id;
    std::string payload;
    bool longForm = false;  // a 4-byte payload length even when 1 would do
};

inline constexpr char kWscMediaType[] = "application/vnd.wfa.wsc";

NdefRecordFields WscRecord(std::string payload, bool longForm = false);
// A URI record of the full URI (no abbreviation).
NdefRecordFields UriRecord(std::string_view uri);
// The Android application record that writer apps add after the network.
NdefRecordFields AndroidAppRecord(std::string_view package);

// The records with message begin and end set on the first and last.
std::string NdefMessageBytes(const std::vector<NdefRecordFields>& records);

// A handover request: an "Hr" record, then the requester's Wi-Fi Simple
// Configuration record, which holds no credential.
std::string WscHandoverRequestMessage();

}  // namespace tapdeck::sim
