#pragma once
// The agent's connection to the PC's proximity (NFC) radio.
#include <windows.h>
#include <memory>

#include "com_ptr.h"
#include "proximity.h"

namespace tapdeck {

struct CNFCDeviceContext {
    com_ptr<sdk::IProximityDevice> device;

    bool GetDefaultDevice();
};

class CNFCManager {
public:
    CNFCManager() = default;
    CNFCManager(const CNFCManager&) = delete;
    CNFCManager& operator=(const CNFCManager&) = delete;

    // True when the default proximity device was obtained.
    bool OpenDevice();
    // True when at least one registered message type was subscribed.
    bool SubscribeAll();
    void Close();

private:
    std::unique_ptr<CNFCDeviceContext> deviceContext_;
    bool deviceAvailable_ = false;
};

}  // namespace tapdeck
