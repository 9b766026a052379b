#include "hex_codec.h"

#include <roapi.h>

namespace tapdeck {

com_ptr<sdk::ICryptographicBufferStatics> HexCodec::Statics()
{
    std::lock_guard lock(lock_);
    if (!statics_) {
        hstring_ref className(sdk::RuntimeClass_CryptographicBuffer);
        if (FAILED(::RoGetActivationFactory(className.get(), __uuidof(sdk::ICryptographicBufferStatics),
                                            statics_.put_void())))
            statics_.reset();
    }
    return statics_;
}

void HexCodec::Release()
{
    com_ptr<sdk::ICryptographicBufferStatics> statics;
    {
        std::lock_guard lock(lock_);
        statics = std::move(statics_);
    }
}

bool HexCodec::Encode(sdk::IBuffer* buffer, unique_hstring& hex)
{
    hex.reset();
    auto statics = Statics();
    if (!statics || !buffer) return false;
    return SUCCEEDED(statics->EncodeToHexString(buffer, hex.put()));
}

bool HexCodec::Decode(HSTRING hex, com_ptr<sdk::IBuffer>& buffer)
{
    buffer.reset();
    auto statics = Statics();
    if (!statics) return false;
    return SUCCEEDED(statics->DecodeFromHexString(hex, buffer.put())) && buffer;
}

}  // namespace tapdeck
