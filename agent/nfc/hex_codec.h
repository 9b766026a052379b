#pragma once
// Hexadecimal text and platform byte buffers, through CryptographicBuffer.
#include <windows.h>
#include <mutex>
#include <string>

#include "com_ptr.h"
#include "proximity.h"
#include "unique_hstring.h"

namespace tapdeck {

// Keeps the class's factory from its first use to Release: a resident agent
// converts every message, and fetching the factory each time looks the class
// up anew (on some platforms leaving a registry handle behind per lookup).
// Safe to use from several threads.
class HexCodec {
public:
    bool Encode(sdk::IBuffer* buffer, unique_hstring& hex);
    bool Decode(HSTRING hex, com_ptr<sdk::IBuffer>& buffer);
    // Lets the factory go; a later call fetches it again.
    void Release();

private:
    com_ptr<sdk::ICryptographicBufferStatics> Statics();

    std::mutex lock_;
    com_ptr<sdk::ICryptographicBufferStatics> statics_;  // guarded by lock_
};

}  // namespace tapdeck
