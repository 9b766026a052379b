#pragma once
// Windows.Networking.Connectivity.ConnectionProfile and what it hands out
// (its adapter, its WLAN details), and the list NetworkInformation returns.
#include <string>
#include <vector>

#include "connectivity.h"
#include "rt_object.h"

namespace tapdeck::sim {

struct ProfileFacts {
    std::wstring name;
    std::wstring ssid;
    bool connected = false;
    GUID adapter{};
    // False: a system before IConnectionProfile2 (Windows 8).
    bool secondInterface = true;
};

class CConnectionProfile final : public RtObject<sdk::IConnectionProfile, sdk::IConnectionProfile2> {
public:
    explicit CConnectionProfile(ProfileFacts facts)
        : RtObject(L"Windows.Networking.Connectivity.ConnectionProfile"), facts_(std::move(facts))
    {
    }

    HRESULT STDMETHODCALLTYPE get_ProfileName(HSTRING* value) override;
    HRESULT STDMETHODCALLTYPE GetNetworkConnectivityLevel(INT32* value) override;
    HRESULT STDMETHODCALLTYPE GetNetworkNames(IInspectable** value) override;
    HRESULT STDMETHODCALLTYPE GetConnectionCost(IInspectable** value) override;
    HRESULT STDMETHODCALLTYPE GetDataPlanStatus(IInspectable** value) override;
    HRESULT STDMETHODCALLTYPE get_NetworkAdapter(sdk::INetworkAdapter** value) override;

    HRESULT STDMETHODCALLTYPE get_IsWwanConnectionProfile(boolean* value) override;
    HRESULT STDMETHODCALLTYPE get_IsWlanConnectionProfile(boolean* value) override;
    HRESULT STDMETHODCALLTYPE get_WwanConnectionProfileDetails(IInspectable** value) override;
    HRESULT STDMETHODCALLTYPE get_WlanConnectionProfileDetails(sdk::IWlanConnectionProfileDetails** value) override;

private:
    void* Find(REFIID iid) override;
    const wchar_t* ClassName() const override { return L"Windows.Networking.Connectivity.ConnectionProfile"; }

    ProfileFacts facts_;
};

class CProfileList final : public RtObject<sdk::IConnectionProfileVectorView> {
public:
    explicit CProfileList(const std::vector<ProfileFacts>& profiles);

    HRESULT STDMETHODCALLTYPE GetAt(UINT32 index, sdk::IConnectionProfile** item) override;
    HRESULT STDMETHODCALLTYPE get_Size(UINT32* size) override;
    HRESULT STDMETHODCALLTYPE IndexOf(sdk::IConnectionProfile* item, UINT32* index, boolean* found) override;
    HRESULT STDMETHODCALLTYPE GetMany(UINT32 start, UINT32 capacity, sdk::IConnectionProfile** items,
                                      UINT32* actual) override;

private:
    void* Find(REFIID iid) override;
    void Dispose() override;
    const wchar_t* ClassName() const override
    {
        return L"Windows.Foundation.Collections.IVectorView`1<Windows.Networking.Connectivity.ConnectionProfile>";
    }

    std::vector<CConnectionProfile*> items_;
};

}  // namespace tapdeck::sim
