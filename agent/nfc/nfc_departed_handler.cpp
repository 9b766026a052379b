#include "nfc_departed_handler.h"

#include "nfc_manager.h"

namespace tapdeck {

HRESULT CNFCDepartedHandler::Invoke(sdk::IProximityDevice*)
{
    CNFCCallGate::Scope scope(gate_);
    if (scope) manager_.WithdrawPublishedMessage();
    return S_OK;
}

}  // namespace tapdeck
