#include "nfc_departed_handler.h"

#include "nfc_manager.h"

namespace tapdeck {

HRESULT CNFCDepartedHandler::Invoke(sdk::IProximityDevice*)
{
    CNFCManager::CallScope scope(manager_);
    if (scope) manager_.WithdrawPublishedMessage();
    return S_OK;
}

}  // namespace tapdeck
