#include "nfc_transmitted_handler.h"

#include "nfc_manager.h"

namespace tapdeck {

HRESULT CNFCTransmittedHandler::Invoke(sdk::IProximityDevice*, INT64)
{
    CNFCCallGate::Scope scope(gate_);
    if (scope) manager_.WithdrawPublishedMessage();
    return S_OK;
}

}  // namespace tapdeck
