#include "wsc_encoder.h"

#include <cstdint>

#include "hex.h"
namespace tapdeck {
namespace {

constexpr char kWscType[] = "application/vnd.wfa.wsc";

// NDEF header flags: message begin, message end, short record; media type.
constexpr unsigned char kFirstAndLast = 0xC0;
constexpr unsigned char kShortRecord = 0x10;
constexpr unsigned char kTnfMedia = 0x02;

constexpr std::uint16_t kAttrAuthType = 0x1003;
constexpr std::uint16_t kAttrCredential = 0x100E;
constexpr std::uint16_t kAttrEncrType = 0x100F;
constexpr std::uint16_t kAttrMacAddress = 0x1020;
constexpr std::uint16_t kAttrNetworkIndex = 0x1026;
constexpr std::uint16_t kAttrNetworkKey = 0x1027;
constexpr std::uint16_t kAttrSsid = 0x1045;
constexpr std::uint16_t kAttrVendorExtension = 0x1049;
constexpr std::uint16_t kAttrVersion = 0x104A;

constexpr std::uint16_t kAuthOpen = 0x0001;
constexpr std::uint16_t kAuthWpaPersonal = 0x0002;
constexpr std::uint16_t kAuthWpa2Personal = 0x0020;
constexpr std::uint16_t kEncrNone = 0x0001;
constexpr std::uint16_t kEncrTkip = 0x0004;
constexpr std::uint16_t kEncrAes = 0x0008;

// The Wi-Fi Alliance's vendor id, then its Version2 subelement (id 0, one byte).
constexpr char kWfaVersion2[] = {'\x00', '\x37', '\x2A', '\x00', '\x01', '\x20'};

constexpr size_t kMaxSsidBytes = 32;

void Big16(std::string& out, std::uint16_t value)
{
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value & 0xff));
}

void Attribute(std::string& out, std::uint16_t type, std::string_view value)
{
    Big16(out, type);
    Big16(out, static_cast<std::uint16_t>(value.size()));
    out.append(value);
}

std::string Value16(std::uint16_t value)
{
    std::string out;
    Big16(out, value);
    return out;
}

bool IsPassphrase(std::string_view key)
{
    if (key.size() == kRawKeyDigits) return IsHexDigits(key);
    if (key.size() < kMinPassphrase || key.size() > kMaxPassphrase) return false;
    for (char c : key)
        if (c < 0x20 || c > 0x7e) return false;
    return true;
}

}  // namespace

WscWriteProblem CheckWscNetwork(std::string_view ssid, std::string_view key, WscWriteSecurity security)
{
    if (ssid.empty() || ssid.size() > kMaxSsidBytes) return WscWriteProblem::NameLength;
    if (security != WscWriteSecurity::Open && !IsPassphrase(key)) return WscWriteProblem::Passphrase;
    return WscWriteProblem::None;
}

std::string EncodeWscMessage(std::string_view ssid, std::string_view key, WscWriteSecurity security)
{
    if (CheckWscNetwork(ssid, key, security) != WscWriteProblem::None) return {};
    std::uint16_t auth = kAuthWpa2Personal;
    std::uint16_t encr = kEncrAes;
    if (security == WscWriteSecurity::WpaPersonal) {
        auth = kAuthWpaPersonal;
        encr = kEncrTkip;
    } else if (security == WscWriteSecurity::Open) {
        auth = kAuthOpen;
        encr = kEncrNone;
        key = {};
    }
    std::string credential;
    Attribute(credential, kAttrNetworkIndex, std::string_view("\x01", 1));
    Attribute(credential, kAttrSsid, ssid);
    Attribute(credential, kAttrAuthType, Value16(auth));
    Attribute(credential, kAttrEncrType, Value16(encr));
    Attribute(credential, kAttrNetworkKey, key);
    Attribute(credential, kAttrMacAddress, std::string(6, '\xff'));

    std::string payload;
    Attribute(payload, kAttrVersion, std::string_view("\x10", 1));
    Attribute(payload, kAttrCredential, credential);
    Attribute(payload, kAttrVendorExtension, std::string_view(kWfaVersion2, sizeof(kWfaVersion2)));

    // A checked network's token is at most 150 bytes: always a short record.
    std::string message;
    message.push_back(static_cast<char>(kFirstAndLast | kShortRecord | kTnfMedia));
    message.push_back(static_cast<char>(sizeof(kWscType) - 1));
    message.push_back(static_cast<char>(payload.size()));
    message.append(kWscType, sizeof(kWscType) - 1);
    message.append(payload);
    return message;
}

}  // namespace tapdeck
