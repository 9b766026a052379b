#pragma once
// The proximity device and the five handler objects it calls back. The
// handlers live inside this block; it is freed only when the platform holds
// none of them any more.
#include <windows.h>
#include <eventtoken.h>
#include <mutex>

#include "com_ptr.h"
#include "nfc_arrived_handler.h"
#include "nfc_call_gate.h"
#include "nfc_departed_handler.h"
#include "nfc_received_handler.h"
#include "nfc_received_handler_ex.h"
#include "nfc_transmitted_handler.h"
#include "proximity.h"

namespace tapdeck {

struct CNFCDeviceContext {
    explicit CNFCDeviceContext(CNFCManager& manager) noexcept
        : arrived(manager, gate),
          departed(manager, gate),
          received(manager, gate),
          receivedEx(manager, gate),
          transmitted(manager, gate)
    {
    }

    // Fills device (under the manager's lock, which guards it); false when
    // there is no factory or no radio.
    bool GetDefaultDevice(std::mutex& guard);
    // True when the platform holds none of the handlers any more.
    bool HandlersReleased() const noexcept;

    CNFCCallGate gate;  // first: the handlers hold it
    com_ptr<sdk::IProximityDevice> device;  // guarded by the manager's lock
    CNFCArrivedHandler arrived;
    CNFCDepartedHandler departed;
    CNFCReceivedHandler received;
    CNFCReceivedHandlerEx receivedEx;
    CNFCTransmittedHandler transmitted;
    EventRegistrationToken arrivedToken{};
    EventRegistrationToken departedToken{};
};

}  // namespace tapdeck
