#pragma once
// NDEF records as a tag or a peer carries them: what the radio reads of a
// touched message to route it, and the one record a test or simctl builds.
#include <windows.h>
#include <string>
#include <vector>

namespace tapdeck::sim {

inline constexpr BYTE kTnfWellKnown = 0x01;
inline constexpr BYTE kTnfMedia = 0x02;
inline constexpr BYTE kTnfAbsoluteUri = 0x03;
inline constexpr BYTE kTnfExternal = 0x04;
inline constexpr BYTE kTnfUnknown = 0x05;

struct NdefRecord {
    BYTE tnf = 0;
    std::string type;
    std::vector<BYTE> payload;
};

// The first record of one well-formed NDEF message: every record's lengths
// lie inside the bytes, MB marks the first and ME only the last, and the
// last ends where the message does. False for anything else.
bool ReadFirstRecord(const std::vector<BYTE>& message, NdefRecord& first);

// One record alone in its message (MB and ME set), short when it fits.
std::vector<BYTE> SingleRecordMessage(const NdefRecord& record);

}  // namespace tapdeck::sim
