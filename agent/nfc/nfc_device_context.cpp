#include "nfc_device_context.h"

#include <roapi.h>

#include "unique_hstring.h"

namespace tapdeck {

bool CNFCDeviceContext::GetDefaultDevice(std::mutex& guard)
{
    com_ptr<sdk::IProximityDeviceStatics> statics;
    hstring_ref className(sdk::RuntimeClass_ProximityDevice);
    if (FAILED(::RoGetActivationFactory(className.get(), __uuidof(sdk::IProximityDeviceStatics), statics.put_void())) ||
        !statics)
        return false;
    {
        std::lock_guard lock(guard);
        device.reset();
    }
    // No radio is a success without a device: the ordinary case on most PCs.
    com_ptr<sdk::IProximityDevice> found;
    const bool ok = SUCCEEDED(statics->GetDefault(found.put())) && found;
    std::lock_guard lock(guard);
    device = std::move(found);
    return ok;
}

bool CNFCDeviceContext::HandlersReleased() const noexcept
{
    return arrived.Count() == 1 && departed.Count() == 1 && received.Count() == 1 && receivedEx.Count() == 1 &&
           transmitted.Count() == 1;
}

}  // namespace tapdeck
