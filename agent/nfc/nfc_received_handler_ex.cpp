#include "nfc_received_handler_ex.h"

#include "nfc_manager.h"
#include "unique_hstring.h"

namespace tapdeck {

HRESULT CNFCReceivedHandlerEx::Invoke(sdk::IProximityDevice*, sdk::IProximityMessage* message)
{
    if (!message) return E_FAIL;
    CNFCCallGate::Scope scope(gate_);
    if (!scope) return S_OK;

    com_ptr<sdk::IBuffer> data;
    HRESULT hr = message->get_Data(data.put());
    if (FAILED(hr)) return hr;
    if (!data) return S_OK;

    unique_hstring hex;
    if (!manager_.Hex().Encode(data.get(), hex)) return S_OK;

    unique_hstring type;
    hr = message->get_MessageType(type.put());
    if (FAILED(hr)) return hr;
    if (::WindowsGetStringLen(type.get()) == 0) return S_OK;

    return manager_.AnswerMessage(to_wstring(type.get()), to_wstring(hex.get()));
}

}  // namespace tapdeck
