#include "nfc_received_handler.h"

#include "nfc_manager.h"
#include "unique_hstring.h"

namespace tapdeck {

HRESULT CNFCReceivedHandler::Invoke(sdk::IProximityDevice*, sdk::IProximityMessage* message)
{
    if (!message) return E_FAIL;
    CNFCCallGate::Scope scope(gate_);
    if (!scope) return S_OK;

    unique_hstring data;
    HRESULT hr = message->get_DataAsString(data.put());
    if (FAILED(hr)) return hr;
    if (::WindowsGetStringLen(data.get()) == 0) return S_OK;

    unique_hstring type;
    hr = message->get_MessageType(type.put());
    if (FAILED(hr)) return hr;
    if (::WindowsGetStringLen(type.get()) == 0) return S_OK;

    return manager_.AnswerMessage(to_wstring(type.get()), to_wstring(data.get()));
}

}  // namespace tapdeck
