#include "hex_buffer.h"

#include <roapi.h>

namespace tapdeck {
namespace {

// Fetched anew on every call: the class is cheap to reach and holds no state.
com_ptr<sdk::ICryptographicBufferStatics> CryptographicBuffer()
{
    com_ptr<sdk::ICryptographicBufferStatics> statics;
    hstring_ref className(sdk::RuntimeClass_CryptographicBuffer);
    if (FAILED(::RoGetActivationFactory(className.get(), __uuidof(sdk::ICryptographicBufferStatics),
                                        statics.put_void())))
        statics.reset();
    return statics;
}

}  // namespace

bool EncodeBufferToHex(sdk::IBuffer* buffer, unique_hstring& hex)
{
    hex.reset();
    auto statics = CryptographicBuffer();
    if (!statics || !buffer) return false;
    return SUCCEEDED(statics->EncodeToHexString(buffer, hex.put()));
}

bool DecodeHexToBuffer(HSTRING hex, com_ptr<sdk::IBuffer>& buffer)
{
    buffer.reset();
    auto statics = CryptographicBuffer();
    if (!statics) return false;
    return SUCCEEDED(statics->DecodeFromHexString(hex, buffer.put())) && buffer;
}

}  // namespace tapdeck
