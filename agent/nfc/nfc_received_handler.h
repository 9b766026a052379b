#pragma once
// Answers a touch of a subscribed "Windows" type with the platform's string form of its data.
#include "nfc_handler.h"
#include "proximity.h"

namespace tapdeck {

class CNFCReceivedHandler final : public CNFCHandler<sdk::IMessageReceivedHandler> {
public:
    using CNFCHandler::CNFCHandler;
    HRESULT STDMETHODCALLTYPE Invoke(sdk::IProximityDevice* sender, sdk::IProximityMessage* message) override;
};

}  // namespace tapdeck
