#pragma once
// Windows.Storage.Streams.Buffer as the radio and CryptographicBuffer hand it out.
#include <vector>

#include "proximity.h"
#include "rt_object.h"

namespace tapdeck::sim {

class CSimBuffer final : public RtObject<sdk::IBuffer, sdk::IBufferByteAccess> {
public:
    explicit CSimBuffer(std::vector<BYTE> bytes)
        : RtObject(L"Windows.Storage.Streams.Buffer"),
          bytes_(std::move(bytes)),
          length_(static_cast<UINT32>(bytes_.size()))
    {
    }

    HRESULT STDMETHODCALLTYPE get_Capacity(UINT32* value) override;
    HRESULT STDMETHODCALLTYPE get_Length(UINT32* value) override;
    HRESULT STDMETHODCALLTYPE put_Length(UINT32 value) override;
    HRESULT STDMETHODCALLTYPE Buffer(BYTE** value) override;

private:
    void* Find(REFIID iid) override;
    void Dispose() override
    {
        std::vector<BYTE>().swap(bytes_);
        length_ = 0;
    }
    const wchar_t* ClassName() const override { return L"Windows.Storage.Streams.Buffer"; }

    std::vector<BYTE> bytes_;
    UINT32 length_;
};

// The bytes of any buffer that offers byte access; false when it does not.
bool BufferBytes(sdk::IBuffer* buffer, std::vector<BYTE>& bytes);

}  // namespace tapdeck::sim
