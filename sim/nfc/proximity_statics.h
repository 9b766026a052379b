#pragma once
// The activation factory of Windows.Networking.Proximity.ProximityDevice.
#include <activation.h>

#include "proximity.h"
#include "rt_object.h"

namespace tapdeck::sim {

class CProximityStatics final : public RtSingleton<IActivationFactory, sdk::IProximityDeviceStatics> {
public:
    static CProximityStatics& Instance();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;

    HRESULT STDMETHODCALLTYPE ActivateInstance(IInspectable** instance) override;
    HRESULT STDMETHODCALLTYPE GetDeviceSelector(HSTRING* selector) override;
    // The device while the radio is "present" (a file simctl writes), else none.
    HRESULT STDMETHODCALLTYPE GetDefault(sdk::IProximityDevice** device) override;
    HRESULT STDMETHODCALLTYPE FromId(HSTRING deviceId, sdk::IProximityDevice** device) override;

private:
    CProximityStatics() : RtSingleton(L"Windows.Networking.Proximity.ProximityDevice (statics)") {}
    const wchar_t* ClassName() const override { return L"Windows.Networking.Proximity.ProximityDevice"; }
};

}  // namespace tapdeck::sim
