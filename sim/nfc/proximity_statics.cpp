#include "proximity_statics.h"

#include "fault.h"
#include "radio_protocol.h"
#include "sim_device.h"
#include "sim_state.h"

namespace tapdeck::sim {

CProximityStatics& CProximityStatics::Instance()
{
    static CProximityStatics statics;
    return statics;
}

HRESULT CProximityStatics::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable) || iid == __uuidof(IActivationFactory)) {
        *object = static_cast<IActivationFactory*>(this);
    } else if (iid == __uuidof(sdk::IProximityDeviceStatics)) {
        *object = static_cast<sdk::IProximityDeviceStatics*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT CProximityStatics::ActivateInstance(IInspectable** instance)
{
    if (instance) *instance = nullptr;
    return E_NOTIMPL;
}

HRESULT CProximityStatics::GetDeviceSelector(HSTRING* selector)
{
    static constexpr wchar_t text[] = L"System.Devices.InterfaceClassGuid:=\"{FB3842CD-9E2A-4F83-8FCC-4B0761139AE9}\"";
    return ::WindowsCreateString(text, static_cast<UINT32>(wcslen(text)), selector);
}

HRESULT CProximityStatics::GetDefault(sdk::IProximityDevice** device)
{
    if (!device) return E_POINTER;
    *device = nullptr;
    const std::wstring hold = StatePath(kNfcArea, kNfcHoldFile);
    if (::GetFileAttributesW(hold.c_str()) != INVALID_FILE_ATTRIBUTES) {
        AppendRecord(kNfcArea, kNfcHeldFile, std::to_wstring(::GetCurrentProcessId()));
        for (int tick = 0; tick < 3000 && ::GetFileAttributesW(hold.c_str()) != INVALID_FILE_ATTRIBUTES; ++tick)
            ::Sleep(10);
    }
    if (const long fault = InjectedFault(L"GetDefault")) return fault;
    if (::GetFileAttributesW(StatePath(kNfcArea, kNfcPresentFile).c_str()) == INVALID_FILE_ATTRIBUTES) {
        AppendRecord(kNfcArea, kNfcAskedFile, std::to_wstring(::GetCurrentProcessId()));
        return S_OK;
    }
    if (CSimDevice* sim = CSimDevice::Instance()) {
        sim->AddRef();
        *device = sim;
    }
    return S_OK;
}

HRESULT CProximityStatics::FromId(HSTRING, sdk::IProximityDevice** device)
{
    if (device) *device = nullptr;
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

}  // namespace tapdeck::sim
