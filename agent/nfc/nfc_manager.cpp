#include "nfc_manager.h"

#include <roapi.h>
#include <new>

#include "unique_hstring.h"

namespace tapdeck {

bool CNFCDeviceContext::GetDefaultDevice()
{
    com_ptr<sdk::IProximityDeviceStatics> statics;
    hstring_ref className(sdk::RuntimeClass_ProximityDevice);
    if (FAILED(::RoGetActivationFactory(className.get(), __uuidof(sdk::IProximityDeviceStatics), statics.put_void())) ||
        !statics)
        return false;
    device.reset();
    // No radio is a success without a device: the ordinary case on most PCs.
    return SUCCEEDED(statics->GetDefault(device.put())) && device;
}

bool CNFCManager::OpenDevice()
{
    if (!deviceContext_) {
        deviceContext_.reset(new (std::nothrow) CNFCDeviceContext());
        if (!deviceContext_) return false;
    }
    deviceAvailable_ = deviceContext_->GetDefaultDevice();
    return deviceAvailable_;
}

bool CNFCManager::SubscribeAll()
{
    // Nothing is subscribed until the handler registry is read.
    return false;
}

void CNFCManager::Close()
{
    deviceContext_.reset();
}

}  // namespace tapdeck
