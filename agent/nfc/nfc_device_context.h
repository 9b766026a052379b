#pragma once
// The proximity device and the five handler objects it calls back. The
// handlers live inside this block; only CNFCManager::Close frees it.
#include <windows.h>
#include <eventtoken.h>
#include <mutex>

#include "com_ptr.h"
#include "nfc_arrived_handler.h"
#include "nfc_departed_handler.h"
#include "nfc_received_handler.h"
#include "nfc_received_handler_ex.h"
#include "nfc_transmitted_handler.h"
#include "proximity.h"

namespace tapdeck {

struct CNFCDeviceContext {
    explicit CNFCDeviceContext(CNFCManager& manager) noexcept
        : arrived(manager), departed(manager), received(manager), receivedEx(manager), transmitted(manager)
    {
    }

    // Fills device (under the manager's lock, which guards it); false when
    // there is no factory or no radio.
    bool GetDefaultDevice(std::mutex& guard);
    // True when the platform holds none of the handlers any more.
    bool HandlersReleased() const noexcept;

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
