#pragma once
// A peer has read the message we published: withdraw it.
#include "nfc_handler.h"
#include "proximity.h"

namespace tapdeck {

class CNFCTransmittedHandler final : public CNFCHandler<sdk::IMessageTransmittedHandler> {
public:
    using CNFCHandler::CNFCHandler;
    HRESULT STDMETHODCALLTYPE Invoke(sdk::IProximityDevice* sender, INT64 messageId) override;
};

}  // namespace tapdeck
