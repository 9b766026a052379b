#pragma once
// Answers a touch of a subscribed non-"Windows" type with its bytes as hexadecimal text.
#include "nfc_handler.h"
#include "proximity.h"

namespace tapdeck {

class CNFCReceivedHandlerEx final : public CNFCHandler<sdk::IMessageReceivedHandler> {
public:
    using CNFCHandler::CNFCHandler;
    HRESULT STDMETHODCALLTYPE Invoke(sdk::IProximityDevice* sender, sdk::IProximityMessage* message) override;
};

}  // namespace tapdeck
