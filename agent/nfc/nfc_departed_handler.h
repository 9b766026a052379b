#pragma once
// A peer leaving takes the message we published with it.
#include "nfc_handler.h"
#include "proximity.h"

namespace tapdeck {

class CNFCDepartedHandler final : public CNFCHandler<sdk::IDeviceDepartedEventHandler> {
public:
    using CNFCHandler::CNFCHandler;
    HRESULT STDMETHODCALLTYPE Invoke(sdk::IProximityDevice* sender) override;
};

}  // namespace tapdeck
