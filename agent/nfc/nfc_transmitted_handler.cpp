#include "nfc_transmitted_handler.h"

#include "nfc_manager.h"

namespace tapdeck {

HRESULT CNFCTransmittedHandler::Invoke(sdk::IProximityDevice*, INT64 messageId)
{
    CNFCCallGate::Scope scope(gate_);
    if (scope) manager_.WithdrawPublishedMessage(messageId);
    return S_OK;
}

}  // namespace tapdeck
