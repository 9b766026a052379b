#include "wsc_message.h"

namespace tapdeck::sim {
namespace {

void AppendBig16(std::string& out, unsigned value)
{
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

std::string Big16(unsigned value)
{
    std::string out;
    AppendBig16(out, value);
    return out;
}

// The WFA vendor extension with the Version2 subelement (2.0).
std::string VendorExtension() { return WscAttribute(0x1049, std::string("\x00\x37\x2A\x00\x01\x20", 6)); }

}  // namespace

std::string WscAttribute(unsigned type, std::string_view value)
{
    std::string out;
    AppendBig16(out, type);
    AppendBig16(out, static_cast<unsigned>(value.size()));
    out += value;
    return out;
}

std::string WscCredential(const WscCredentialFields& credential)
{
    std::string body;
    if (credential.optionalFields) body += WscAttribute(0x1026, std::string(1, '\x01'));
    body += WscAttribute(0x1045, credential.ssid);
    body += WscAttribute(0x1003, Big16(credential.auth));
    if (credential.encr) body += WscAttribute(0x100F, Big16(*credential.encr));
    if (!credential.key.empty() || credential.auth != 0x0001) body += WscAttribute(0x1027, credential.key);
    if (credential.optionalFields) body += WscAttribute(0x1020, std::string(6, '\xFF'));
    return WscAttribute(0x100E, body);
}

std::string WscConfigurationPayload(const std::vector<WscCredentialFields>& credentials)
{
    std::string payload = WscAttribute(0x104A, std::string(1, '\x10'));
    for (const WscCredentialFields& credential : credentials) payload += WscCredential(credential);
    payload += VendorExtension();
    return payload;
}

std::string WscPasswordTokenPayload()
{
    // Public key hash (20 bytes), password id, device password (16 bytes).
    std::string password(20, '\x5A');
    password += Big16(0x1234);
    password += std::string(16, '\xA5');
    return WscAttribute(0x104A, std::string(1, '\x10')) + WscAttribute(0x102C, password) + VendorExtension();
}

NdefRecordFields WscRecord(std::string payload, bool longForm)
{
    return NdefRecordFields{2, kWscMediaType, {}, std::move(payload), longForm};
}

NdefRecordFields UriRecord(std::string_view uri)
{
    return NdefRecordFields{1, "U", {}, std::string(1, '\0') + std::string(uri), false};
}

NdefRecordFields AndroidAppRecord(std::string_view package)
{
    return NdefRecordFields{4, "android.com:pkg", {}, std::string(package), false};
}

std::string NdefMessageBytes(const std::vector<NdefRecordFields>& records)
{
    std::string out;
    for (size_t i = 0; i < records.size(); ++i) {
        const NdefRecordFields& record = records[i];
        const bool shortForm = !record.longForm && record.payload.size() <= 255;
        unsigned header = record.tnf & 7;
        if (i == 0) header |= 0x80;
        if (i + 1 == records.size()) header |= 0x40;
        if (shortForm) header |= 0x10;
        if (!record.id.empty()) header |= 0x08;
        out += static_cast<char>(header);
        out += static_cast<char>(record.type.size());
        if (shortForm) {
            out += static_cast<char>(record.payload.size());
        } else {
            AppendBig16(out, static_cast<unsigned>(record.payload.size() >> 16));
            AppendBig16(out, static_cast<unsigned>(record.payload.size() & 0xFFFF));
        }
        if (!record.id.empty()) out += static_cast<char>(record.id.size());
        out += record.type;
        out += record.id;
        out += record.payload;
    }
    return out;
}

std::string WscHandoverRequestMessage()
{
    // Version 1.2, a collision resolution number, one alternative carrier
    // ("ac", active, pointing at record id "0").
    const std::string inner = NdefMessageBytes({NdefRecordFields{1, "cr", {}, std::string("\x12\x34", 2), false},
                                                NdefRecordFields{1, "ac", {}, std::string("\x01\x01\x30\x00", 4), false}});
    NdefRecordFields request{1, "Hr", {}, std::string(1, '\x12') + inner, false};
    // The requester's record: version, UUID-E, vendor extension; no credential.
    std::string wsc = WscAttribute(0x104A, std::string(1, '\x10')) + WscAttribute(0x1048, std::string(16, '\x42')) +
                      VendorExtension();
    NdefRecordFields config{2, kWscMediaType, "0", std::move(wsc), false};
    return NdefMessageBytes({request, config});
}

}  // namespace tapdeck::sim
