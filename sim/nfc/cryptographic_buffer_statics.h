#pragma once
// The activation factory of Windows.Security.Cryptography.CryptographicBuffer:
// the byte-array and hexadecimal members, which Wine's own lacks.
#include <activation.h>

#include "proximity.h"
#include "rt_object.h"

namespace tapdeck::sim {

class CCryptographicBufferStatics final : public RtSingleton<IActivationFactory, sdk::ICryptographicBufferStatics> {
public:
    static CCryptographicBufferStatics& Instance();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;

    HRESULT STDMETHODCALLTYPE ActivateInstance(IInspectable** instance) override;
    HRESULT STDMETHODCALLTYPE Compare(sdk::IBuffer* object1, sdk::IBuffer* object2, boolean* isEqual) override;
    HRESULT STDMETHODCALLTYPE GenerateRandom(UINT32 length, sdk::IBuffer** buffer) override;
    HRESULT STDMETHODCALLTYPE GenerateRandomNumber(UINT32* value) override;
    HRESULT STDMETHODCALLTYPE CreateFromByteArray(UINT32 valueSize, BYTE* value, sdk::IBuffer** buffer) override;
    HRESULT STDMETHODCALLTYPE CopyToByteArray(sdk::IBuffer* buffer, UINT32* valueSize, BYTE** value) override;
    HRESULT STDMETHODCALLTYPE DecodeFromHexString(HSTRING value, sdk::IBuffer** buffer) override;
    HRESULT STDMETHODCALLTYPE EncodeToHexString(sdk::IBuffer* buffer, HSTRING* value) override;
    HRESULT STDMETHODCALLTYPE DecodeFromBase64String(HSTRING value, sdk::IBuffer** buffer) override;
    HRESULT STDMETHODCALLTYPE EncodeToBase64String(sdk::IBuffer* buffer, HSTRING* value) override;
    HRESULT STDMETHODCALLTYPE ConvertStringToBinary(HSTRING value, sdk::BinaryStringEncoding encoding,
                                                    sdk::IBuffer** buffer) override;
    HRESULT STDMETHODCALLTYPE ConvertBinaryToString(sdk::BinaryStringEncoding encoding, sdk::IBuffer* buffer,
                                                    HSTRING* value) override;

private:
    CCryptographicBufferStatics() : RtSingleton(L"Windows.Security.Cryptography.CryptographicBuffer (statics)") {}
    const wchar_t* ClassName() const override { return L"Windows.Security.Cryptography.CryptographicBuffer"; }
};

}  // namespace tapdeck::sim
