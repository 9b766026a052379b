#pragma once
// A received Windows.Networking.Proximity.ProximityMessage.
#include <string>
#include <vector>

#include "proximity.h"
#include "rt_object.h"

namespace tapdeck::sim {

class CSimMessage final : public RtObject<sdk::IProximityMessage> {
public:
    CSimMessage(std::wstring type, INT64 subscriptionId, std::vector<BYTE> bytes)
        : RtObject(L"Windows.Networking.Proximity.ProximityMessage"),
          type_(std::move(type)),
          subscriptionId_(subscriptionId),
          bytes_(std::move(bytes))
    {
    }

    HRESULT STDMETHODCALLTYPE get_MessageType(HSTRING* value) override;
    HRESULT STDMETHODCALLTYPE get_SubscriptionId(INT64* value) override;
    HRESULT STDMETHODCALLTYPE get_Data(sdk::IBuffer** value) override;
    // The bytes as UTF-16LE, NUL characters included, as the platform gives them.
    HRESULT STDMETHODCALLTYPE get_DataAsString(HSTRING* value) override;

private:
    void* Find(REFIID iid) override;
    void Dispose() override { std::vector<BYTE>().swap(bytes_); }
    const wchar_t* ClassName() const override { return L"Windows.Networking.Proximity.ProximityMessage"; }

    std::wstring type_;
    INT64 subscriptionId_;
    std::vector<BYTE> bytes_;
};

}  // namespace tapdeck::sim
