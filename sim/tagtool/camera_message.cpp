#include "camera_message.h"

#include "hex.h"

namespace tapdeck::sim {
namespace {

constexpr char kRecordType[] = "application/x-vexa-kox";
constexpr unsigned char kVersion = 0x10;

void AppendField(std::string& payload, unsigned tag, std::string_view value)
{
    payload += static_cast<char>(tag >> 8);
    payload += static_cast<char>(tag & 0xFF);
    payload += static_cast<char>(value.size() >> 8);
    payload += static_cast<char>(value.size() & 0xFF);
    payload += value;
}

}  // namespace

bool BuildCameraMessageHex(std::string_view ssid, std::string_view passphrase, std::wstring& hex)
{
    if (ssid.empty() || passphrase.empty()) return false;
    std::string payload;
    AppendField(payload, 0x0001, std::string(1, static_cast<char>(kVersion)));
    AppendField(payload, 0x1000, ssid);
    AppendField(payload, 0x1001, passphrase);
    if (payload.size() > 255) return false;

    std::string message;
    // Message begin, short record, media type; message end clear: an empty
    // record closes the message, as the camera's tag does.
    message += static_cast<char>(0x92);
    message += static_cast<char>(sizeof(kRecordType) - 1);
    message += static_cast<char>(payload.size());
    message += kRecordType;
    message += payload;
    message += static_cast<char>(0x50);
    message += '\0';
    message += '\0';
    hex = ToHex(message);
    return true;
}

}  // namespace tapdeck::sim
