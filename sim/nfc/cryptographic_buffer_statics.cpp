#include "cryptographic_buffer_statics.h"

#include <new>

#include "fault.h"
#include "hex.h"
#include "sim_buffer.h"

namespace tapdeck::sim {
namespace {

HRESULT NewBuffer(std::vector<BYTE> bytes, sdk::IBuffer** buffer)
{
    if (!buffer) return E_POINTER;
    *buffer = new (std::nothrow) CSimBuffer(std::move(bytes));
    return *buffer ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

CCryptographicBufferStatics& CCryptographicBufferStatics::Instance()
{
    static CCryptographicBufferStatics statics;
    return statics;
}

HRESULT CCryptographicBufferStatics::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable) || iid == __uuidof(IActivationFactory)) {
        *object = static_cast<IActivationFactory*>(this);
    } else if (iid == __uuidof(sdk::ICryptographicBufferStatics)) {
        *object = static_cast<sdk::ICryptographicBufferStatics*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT CCryptographicBufferStatics::ActivateInstance(IInspectable** instance)
{
    if (instance) *instance = nullptr;
    return E_NOTIMPL;
}

HRESULT CCryptographicBufferStatics::Compare(sdk::IBuffer* object1, sdk::IBuffer* object2, boolean* isEqual)
{
    if (!isEqual) return E_POINTER;
    std::vector<BYTE> a, b;
    BufferBytes(object1, a);
    BufferBytes(object2, b);
    *isEqual = a == b;
    return S_OK;
}

HRESULT CCryptographicBufferStatics::GenerateRandom(UINT32 length, sdk::IBuffer** buffer)
{
    std::vector<BYTE> bytes(length);
    for (auto& b : bytes) b = static_cast<BYTE>(::GetTickCount() * 2654435761u >> 24);
    return NewBuffer(std::move(bytes), buffer);
}

HRESULT CCryptographicBufferStatics::GenerateRandomNumber(UINT32* value)
{
    if (!value) return E_POINTER;
    *value = ::GetTickCount() * 2654435761u;
    return S_OK;
}

HRESULT CCryptographicBufferStatics::CreateFromByteArray(UINT32 valueSize, BYTE* value, sdk::IBuffer** buffer)
{
    if (valueSize && !value) return E_POINTER;
    return NewBuffer(std::vector<BYTE>(value, value + valueSize), buffer);
}

HRESULT CCryptographicBufferStatics::CopyToByteArray(sdk::IBuffer* buffer, UINT32* valueSize, BYTE** value)
{
    if (!valueSize || !value) return E_POINTER;
    std::vector<BYTE> bytes;
    if (!BufferBytes(buffer, bytes)) return E_INVALIDARG;
    *value = static_cast<BYTE*>(::CoTaskMemAlloc(bytes.size() ? bytes.size() : 1));
    if (!*value) return E_OUTOFMEMORY;
    std::copy(bytes.begin(), bytes.end(), *value);
    *valueSize = static_cast<UINT32>(bytes.size());
    return S_OK;
}

HRESULT CCryptographicBufferStatics::DecodeFromHexString(HSTRING value, sdk::IBuffer** buffer)
{
    if (!buffer) return E_POINTER;
    *buffer = nullptr;
    if (const long fault = InjectedFault(L"DecodeFromHexString")) return fault;
    UINT32 length = 0;
    const wchar_t* raw = ::WindowsGetStringRawBuffer(value, &length);
    std::vector<BYTE> bytes;
    if (!FromHex(std::wstring_view(raw ? raw : L"", length), bytes)) return E_INVALIDARG;
    return NewBuffer(std::move(bytes), buffer);
}

HRESULT CCryptographicBufferStatics::EncodeToHexString(sdk::IBuffer* buffer, HSTRING* value)
{
    if (!value) return E_POINTER;
    *value = nullptr;
    if (const long fault = InjectedFault(L"EncodeToHexString")) return fault;
    std::vector<BYTE> bytes;
    if (!BufferBytes(buffer, bytes)) return E_INVALIDARG;
    const std::wstring text = ToHex(bytes);
    return ::WindowsCreateString(text.data(), static_cast<UINT32>(text.size()), value);
}

HRESULT CCryptographicBufferStatics::DecodeFromBase64String(HSTRING, sdk::IBuffer**) { return E_NOTIMPL; }
HRESULT CCryptographicBufferStatics::EncodeToBase64String(sdk::IBuffer*, HSTRING*) { return E_NOTIMPL; }
HRESULT CCryptographicBufferStatics::ConvertStringToBinary(HSTRING, sdk::BinaryStringEncoding, sdk::IBuffer**)
{
    return E_NOTIMPL;
}
HRESULT CCryptographicBufferStatics::ConvertBinaryToString(sdk::BinaryStringEncoding, sdk::IBuffer*, HSTRING*)
{
    return E_NOTIMPL;
}

}  // namespace tapdeck::sim
