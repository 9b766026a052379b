#pragma once
// Hexadecimal text and platform byte buffers, through CryptographicBuffer.
#include <windows.h>
#include <string>

#include "com_ptr.h"
#include "proximity.h"
#include "unique_hstring.h"

namespace tapdeck {

bool EncodeBufferToHex(sdk::IBuffer* buffer, unique_hstring& hex);
bool DecodeHexToBuffer(HSTRING hex, com_ptr<sdk::IBuffer>& buffer);

}  // namespace tapdeck
