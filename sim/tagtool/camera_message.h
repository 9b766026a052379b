#pragma once
// The camera's NFC message as the agent passes it to Pairwell: lowercase
// hexadecimal text of an NDEF message whose first record is the camera's
// short MIME record ("application/x-vexa-kox") holding three fields:
// 0001 (a version byte), 1000 (network name), 1001 (passphrase).
#include <string>
#include <string_view>

namespace tapdeck::sim {

// Raw bytes of each value; false when the record would not fit a short
// record (payload over 255 bytes) or a value is empty.
bool BuildCameraMessageHex(std::string_view ssid, std::string_view passphrase, std::wstring& hex);

}  // namespace tapdeck::sim
