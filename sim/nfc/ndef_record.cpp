#include "ndef_record.h"

namespace tapdeck::sim {
namespace {

constexpr BYTE kMessageBegin = 0x80;
constexpr BYTE kMessageEnd = 0x40;
constexpr BYTE kShortRecord = 0x10;
constexpr BYTE kIdLength = 0x08;
constexpr BYTE kTnfMask = 0x07;

}  // namespace

bool ReadFirstRecord(const std::vector<BYTE>& message, NdefRecord& first)
{
    size_t at = 0;
    for (size_t index = 0;; ++index) {
        if (message.size() - at < 3) return false;
        const BYTE flags = message[at];
        if (((flags & kMessageBegin) != 0) != (index == 0)) return false;
        const size_t typeLength = message[at + 1];
        size_t payloadLength = 0;
        size_t header = 2;
        if (flags & kShortRecord) {
            payloadLength = message[at + header++];
        } else {
            if (message.size() - at < header + 4) return false;
            for (int i = 0; i < 4; ++i) payloadLength = (payloadLength << 8) | message[at + header++];
        }
        size_t idLength = 0;
        if (flags & kIdLength) {
            if (message.size() - at <= header) return false;
            idLength = message[at + header++];
        }
        const size_t left = message.size() - at - header;
        if (typeLength > left || idLength > left - typeLength || payloadLength > left - typeLength - idLength)
            return false;
        const size_t typeAt = at + header;
        const size_t payloadAt = typeAt + typeLength + idLength;
        if (index == 0) {
            first.tnf = flags & kTnfMask;
            first.type.assign(message.begin() + typeAt, message.begin() + typeAt + typeLength);
            first.payload.assign(message.begin() + payloadAt, message.begin() + payloadAt + payloadLength);
        }
        at = payloadAt + payloadLength;
        if (flags & kMessageEnd) return at == message.size();
    }
}

std::vector<BYTE> SingleRecordMessage(const NdefRecord& record)
{
    const bool fitsShort = record.payload.size() < 256;
    std::vector<BYTE> message{static_cast<BYTE>(kMessageBegin | kMessageEnd | (fitsShort ? kShortRecord : 0) |
                                                (record.tnf & kTnfMask)),
                              static_cast<BYTE>(record.type.size())};
    const size_t length = record.payload.size();
    if (fitsShort) {
        message.push_back(static_cast<BYTE>(length));
    } else {
        for (int shift = 24; shift >= 0; shift -= 8) message.push_back(static_cast<BYTE>(length >> shift));
    }
    message.insert(message.end(), record.type.begin(), record.type.end());
    message.insert(message.end(), record.payload.begin(), record.payload.end());
    return message;
}

}  // namespace tapdeck::sim
