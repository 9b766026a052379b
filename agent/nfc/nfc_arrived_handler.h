#pragma once
// Counts a peer device coming into range.
#include "nfc_handler.h"
#include "proximity.h"

namespace tapdeck {

class CNFCArrivedHandler final : public CNFCHandler<sdk::IDeviceArrivedEventHandler> {
public:
    using CNFCHandler::CNFCHandler;
    HRESULT STDMETHODCALLTYPE Invoke(sdk::IProximityDevice* sender) override;
};

}  // namespace tapdeck
