#pragma once
// A received Windows.Networking.Proximity.ProximityMessage.
#include <string>
#include <vector>

#include "proximity.h"
#include "sim_inspectable.h"

namespace tapdeck::sim {

class CSimMessage final : public sdk::IProximityMessage {
public:
    CSimMessage(std::wstring type, INT64 subscriptionId, std::vector<BYTE> bytes)
        : type_(std::move(type)), subscriptionId_(subscriptionId), bytes_(std::move(bytes))
    {
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    TAPDECK_SIM_REFCOUNT(CSimMessage)
    TAPDECK_SIM_INSPECTABLE(L"Windows.Networking.Proximity.ProximityMessage")

    HRESULT STDMETHODCALLTYPE get_MessageType(HSTRING* value) override;
    HRESULT STDMETHODCALLTYPE get_SubscriptionId(INT64* value) override;
    HRESULT STDMETHODCALLTYPE get_Data(sdk::IBuffer** value) override;
    // The bytes as UTF-16LE, NUL characters included, as the platform gives them.
    HRESULT STDMETHODCALLTYPE get_DataAsString(HSTRING* value) override;

private:
    std::wstring type_;
    INT64 subscriptionId_;
    std::vector<BYTE> bytes_;
};

}  // namespace tapdeck::sim
