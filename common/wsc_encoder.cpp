#include "wsc_encoder.h"

#include <cstdint>

#include "wsc_values.h"

namespace tapdeck {
namespace {

using namespace wsc;

// The Wi-Fi Alliance's vendor id, then its Version2 subelement (id 0, one byte).
constexpr char kWfaVersion2[] = {'\x00', '\x37', '\x2A', '\x00', '\x01', '\x20'};

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

}  // namespace

WscWriteProblem CheckWscNetwork(std::string_view ssid, std::string_view key, WscWriteSecurity security)
{
    if (ssid.empty() || ssid.size() > kMaxSsidBytes) return WscWriteProblem::NameLength;
    if (security != WscWriteSecurity::Open && !IsNetworkKey(key)) return WscWriteProblem::Passphrase;
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
    message.push_back(static_cast<char>(kMessageBegin | kMessageEnd | kShortRecord | kTnfMedia));
    message.push_back(static_cast<char>(kMediaType.size()));
    message.push_back(static_cast<char>(payload.size()));
    message.append(kMediaType);
    message.append(payload);
    return message;
}

}  // namespace tapdeck
