#pragma once
// Windows.Storage.Streams.Buffer as the radio and CryptographicBuffer hand it out.
#include <vector>

#include "proximity.h"
#include "sim_inspectable.h"

namespace tapdeck::sim {

class CSimBuffer final : public sdk::IBuffer, public sdk::IBufferByteAccess {
public:
    explicit CSimBuffer(std::vector<BYTE> bytes) : bytes_(std::move(bytes)), length_(static_cast<UINT32>(bytes_.size())) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    TAPDECK_SIM_REFCOUNT(CSimBuffer)
    TAPDECK_SIM_INSPECTABLE(L"Windows.Storage.Streams.Buffer")

    HRESULT STDMETHODCALLTYPE get_Capacity(UINT32* value) override;
    HRESULT STDMETHODCALLTYPE get_Length(UINT32* value) override;
    HRESULT STDMETHODCALLTYPE put_Length(UINT32 value) override;
    HRESULT STDMETHODCALLTYPE Buffer(BYTE** value) override;

private:
    std::vector<BYTE> bytes_;
    UINT32 length_;
};

// The bytes of any buffer that offers byte access; false when it does not.
bool BufferBytes(sdk::IBuffer* buffer, std::vector<BYTE>& bytes);

}  // namespace tapdeck::sim
