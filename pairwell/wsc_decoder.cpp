#include "wsc_decoder.h"

#include <vector>

#include "hex.h"
#include "wsc_values.h"

namespace tapdeck {
namespace {

using namespace wsc;

unsigned Byte(std::string_view data, size_t at) { return static_cast<unsigned char>(data[at]); }

unsigned Big16(std::string_view data, size_t at) { return Byte(data, at) << 8 | Byte(data, at + 1); }

struct NdefRecord {
    unsigned flags = 0;
    std::string_view type;
    std::string_view payload;

    bool IsWsc() const { return (flags & kTnfMask) == kTnfMedia && type == kMediaType; }
};

// Reads one record's header and type from the front of rest; false when
// they reach past the end. bodyLength is what the ID and payload claim.
bool ReadHeader(std::string_view rest, NdefRecord& record, size_t& headerLength, size_t& idLength,
                size_t& payloadLength)
{
    if (rest.size() < 3) return false;
    record.flags = Byte(rest, 0);
    const size_t typeLength = Byte(rest, 1);
    size_t at = 2;
    if (record.flags & kShortRecord) {
        payloadLength = Byte(rest, at);
        at += 1;
    } else {
        if (rest.size() - at < 4) return false;
        payloadLength = static_cast<size_t>(Big16(rest, at)) << 16 | Big16(rest, at + 2);
        at += 4;
    }
    idLength = 0;
    if (record.flags & kIdPresent) {
        if (rest.size() - at < 1) return false;
        idLength = Byte(rest, at);
        at += 1;
    }
    if (rest.size() - at < typeLength) return false;
    record.type = rest.substr(at, typeLength);
    headerLength = at + typeLength;
    return true;
}

// Reads one whole record from the front of rest; false when any length
// reaches past the end.
bool TakeRecord(std::string_view& rest, NdefRecord& record)
{
    size_t at = 0;
    size_t idLength = 0;
    size_t payloadLength = 0;
    if (!ReadHeader(rest, record, at, idLength, payloadLength)) return false;
    // Each part is checked on its own, so that no sum can wrap.
    if (rest.size() - at < idLength) return false;
    at += idLength;
    if (rest.size() - at < payloadLength) return false;
    record.payload = rest.substr(at, payloadLength);
    rest.remove_prefix(at + payloadLength);
    return true;
}

// The whole message: the first record begins it, the last one ends it, no
// record is chunked. Bytes after the end are not part of it.
bool ParseNdefMessage(std::string_view message, std::vector<NdefRecord>& records)
{
    records.clear();
    std::string_view rest = message;
    for (;;) {
        NdefRecord record;
        if (!TakeRecord(rest, record)) return false;
        const bool first = records.empty();
        if (first != ((record.flags & kMessageBegin) != 0)) return false;
        if (record.flags & kChunked) return false;
        records.push_back(record);
        if (record.flags & kMessageEnd) return true;
    }
}

struct Attribute {
    unsigned type = 0;
    std::string_view value;
};

// A sequence of type-length-value attributes that fills data exactly.
bool ParseAttributes(std::string_view data, std::vector<Attribute>& attributes)
{
    attributes.clear();
    while (!data.empty()) {
        if (data.size() < 4) return false;
        const unsigned type = Big16(data, 0);
        const size_t length = Big16(data, 2);
        if (data.size() - 4 < length) return false;
        attributes.push_back({type, data.substr(4, length)});
        data.remove_prefix(4 + length);
    }
    return true;
}

enum class Verdict { Usable, Unsupported, Invalid };

// The security a credential's types ask for, as far as this PC can join it,
// and whether its cipher is AES. A missing encryption type takes the one the
// authentication is usually paired with; "none" beside a personal
// authentication, which some writers put there, means the same.
struct Security {
    WscSecurity security;
    bool aes;
};

std::optional<Security> SecurityOf(unsigned auth, std::optional<unsigned> encr)
{
    const bool unnamed = !encr || *encr == kEncrNone;
    switch (auth) {
    case kAuthOpen:
        if (unnamed) return Security{WscSecurity::Open, false};
        return std::nullopt;
    case kAuthWpa2Personal:
    case kAuthWpaWpa2Personal:
        if (unnamed || *encr == kEncrAes || *encr == kEncrAesTkip) return Security{WscSecurity::Wpa2Personal, true};
        if (*encr == kEncrTkip) return Security{WscSecurity::Wpa2Personal, false};
        return std::nullopt;
    case kAuthWpaPersonal:
        if (unnamed || *encr == kEncrTkip || *encr == kEncrAesTkip) return Security{WscSecurity::WpaPersonal, false};
        if (*encr == kEncrAes) return Security{WscSecurity::WpaPersonal, true};
        return std::nullopt;
    default: return std::nullopt;
    }
}

Verdict ReadCredential(std::string_view value, WscNetwork& network)
{
    std::vector<Attribute> attributes;
    if (!ParseAttributes(value, attributes)) return Verdict::Invalid;
    std::optional<std::string_view> ssid;
    std::optional<std::string_view> key;
    std::optional<unsigned> auth;
    std::optional<unsigned> encr;
    bool index = false;
    bool mac = false;
    for (const Attribute& attribute : attributes) {
        switch (attribute.type) {
        case kAttrCredential: return Verdict::Invalid;  // a credential does not nest
        case kAttrNetworkIndex:
            if (index || attribute.value.size() != 1) return Verdict::Invalid;
            index = true;
            break;
        case kAttrSsid:
            if (ssid) return Verdict::Invalid;
            ssid = attribute.value;
            break;
        case kAttrAuthType:
            if (auth || attribute.value.size() != 2) return Verdict::Invalid;
            auth = Big16(attribute.value, 0);
            break;
        case kAttrEncrType:
            if (encr || attribute.value.size() != 2) return Verdict::Invalid;
            encr = Big16(attribute.value, 0);
            break;
        case kAttrNetworkKey:
            if (key) return Verdict::Invalid;
            key = attribute.value;
            break;
        case kAttrMacAddress:
            if (mac || attribute.value.size() != 6) return Verdict::Invalid;
            mac = true;
            break;
        case kAttrVendorExtension:
        default: break;  // key index, vendor extensions, later additions
        }
    }
    if (!ssid || ssid->empty() || ssid->size() > kMaxSsidBytes || !auth) return Verdict::Invalid;
    const std::optional<Security> security = SecurityOf(*auth, encr);
    if (!security) return Verdict::Unsupported;

    network.ssid = std::string(*ssid);
    network.security = security->security;
    network.aes = security->aes;
    network.key.clear();
    if (security->security == WscSecurity::Open) return Verdict::Usable;
    if (!key) return Verdict::Invalid;
    std::string_view material = *key;
    // Some writers end the key with a NUL, which no key can hold.
    while (!material.empty() && material.back() == '\0') material.remove_suffix(1);
    if (!IsNetworkKey(material)) return Verdict::Invalid;
    network.key = std::string(material);
    return Verdict::Usable;
}

}  // namespace

bool IsWscMessage(std::wstring_view hexText)
{
    std::string message;
    if (!FromHex(hexText, message)) return false;
    NdefRecord record;
    size_t headerLength = 0, idLength = 0, payloadLength = 0;
    // The first record decides, as it decides which subscription Windows
    // delivers the message to. A standard tag cut short is still one: it
    // ends quietly on its path.
    return ReadHeader(message, record, headerLength, idLength, payloadLength) && (record.flags & kMessageBegin) &&
           record.IsWsc();
}

WscTag DecodeWscMessage(std::wstring_view hexText)
{
    std::string message;
    if (!FromHex(hexText, message)) return {};
    return DecodeWscBytes(message);
}

WscTag DecodeWscBytes(std::string_view message)
{
    std::vector<NdefRecord> records;
    if (!ParseNdefMessage(message, records)) return {};
    bool anyCredential = false;
    bool anyInvalid = false;
    std::vector<Attribute> attributes;
    for (const NdefRecord& record : records) {
        if (!record.IsWsc()) continue;
        if (!ParseAttributes(record.payload, attributes)) return {};
        for (const Attribute& attribute : attributes) {
            if (attribute.type == kAttrVersion && attribute.value.size() != 1) return {};
            if (attribute.type != kAttrCredential) continue;  // version, vendor extension, token data
            anyCredential = true;
            WscTag tag;
            switch (ReadCredential(attribute.value, tag.network)) {
            case Verdict::Usable: tag.outcome = WscOutcome::Usable; return tag;
            case Verdict::Invalid: anyInvalid = true; break;
            case Verdict::Unsupported: break;
            }
        }
    }
    WscTag tag;
    if (!anyCredential) tag.outcome = WscOutcome::NoCredential;
    else if (!anyInvalid) tag.outcome = WscOutcome::Unsupported;
    return tag;
}

}  // namespace tapdeck
