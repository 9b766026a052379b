#include "nfc_arrived_handler.h"

#include "nfc_manager.h"
#include "usage_stats.h"

namespace tapdeck {

HRESULT CNFCArrivedHandler::Invoke(sdk::IProximityDevice*)
{
    CNFCCallGate::Scope scope(gate_);
    if (!scope) return S_OK;
    manager_.Usage().SubmitEventIfUp({L"NFCFunction", L"DeviceArrived", L"Count"});
    return S_OK;
}

}  // namespace tapdeck
