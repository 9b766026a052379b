#include "sim_buffer.h"

namespace tapdeck::sim {

void* CSimBuffer::Find(REFIID iid)
{
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable) || iid == __uuidof(sdk::IBuffer))
        return static_cast<sdk::IBuffer*>(this);
    if (iid == __uuidof(sdk::IBufferByteAccess)) return static_cast<sdk::IBufferByteAccess*>(this);
    return nullptr;
}

HRESULT CSimBuffer::get_Capacity(UINT32* value)
{
    if (!value) return E_POINTER;
    *value = static_cast<UINT32>(bytes_.size());
    return S_OK;
}

HRESULT CSimBuffer::get_Length(UINT32* value)
{
    if (!value) return E_POINTER;
    *value = length_;
    return S_OK;
}

HRESULT CSimBuffer::put_Length(UINT32 value)
{
    if (value > bytes_.size()) return E_INVALIDARG;
    length_ = value;
    return S_OK;
}

HRESULT CSimBuffer::Buffer(BYTE** value)
{
    if (!value) return E_POINTER;
    *value = bytes_.data();
    return S_OK;
}

bool BufferBytes(sdk::IBuffer* buffer, std::vector<BYTE>& bytes)
{
    bytes.clear();
    if (!buffer) return false;
    sdk::IBufferByteAccess* access = nullptr;
    if (FAILED(buffer->QueryInterface(__uuidof(sdk::IBufferByteAccess), reinterpret_cast<void**>(&access))) ||
        !access)
        return false;
    UINT32 length = 0;
    BYTE* data = nullptr;
    const bool ok = SUCCEEDED(buffer->get_Length(&length)) && SUCCEEDED(access->Buffer(&data)) && (data || !length);
    if (ok) bytes.assign(data, data + length);
    access->Release();
    return ok;
}

}  // namespace tapdeck::sim
