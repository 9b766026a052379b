#include "connection_profile.h"

#include <winstring.h>

namespace tapdeck::sim {
namespace {

HRESULT MakeString(const std::wstring& text, HSTRING* value)
{
    if (!value) return E_POINTER;
    return ::WindowsCreateString(text.c_str(), static_cast<UINT32>(text.size()), value);
}

HRESULT NotModelled(IInspectable** value)
{
    if (value) *value = nullptr;
    return E_NOTIMPL;
}

class CNetworkAdapter final : public RtObject<sdk::INetworkAdapter> {
public:
    explicit CNetworkAdapter(const GUID& id) : RtObject(L"Windows.Networking.Connectivity.NetworkAdapter"), id_(id) {}

    HRESULT STDMETHODCALLTYPE get_OutboundMaxBitsPerSecond(UINT64* value) override { return Zero(value); }
    HRESULT STDMETHODCALLTYPE get_InboundMaxBitsPerSecond(UINT64* value) override { return Zero(value); }
    HRESULT STDMETHODCALLTYPE get_IanaInterfaceType(UINT32* value) override
    {
        if (!value) return E_POINTER;
        *value = 71;  // IEEE 802.11 wireless
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_NetworkItem(IInspectable** value) override { return NotModelled(value); }
    HRESULT STDMETHODCALLTYPE get_NetworkAdapterId(GUID* value) override
    {
        if (!value) return E_POINTER;
        *value = id_;
        return S_OK;
    }

private:
    static HRESULT Zero(UINT64* value)
    {
        if (!value) return E_POINTER;
        *value = 0;
        return S_OK;
    }
    void* Find(REFIID iid) override
    {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable) || iid == __uuidof(sdk::INetworkAdapter))
            return static_cast<sdk::INetworkAdapter*>(this);
        return nullptr;
    }
    const wchar_t* ClassName() const override { return L"Windows.Networking.Connectivity.NetworkAdapter"; }

    GUID id_;
};

class CWlanDetails final : public RtObject<sdk::IWlanConnectionProfileDetails> {
public:
    explicit CWlanDetails(std::wstring connectedSsid)
        : RtObject(L"Windows.Networking.Connectivity.WlanConnectionProfileDetails"), ssid_(std::move(connectedSsid))
    {
    }

    HRESULT STDMETHODCALLTYPE GetConnectedSsid(HSTRING* value) override { return MakeString(ssid_, value); }

private:
    void* Find(REFIID iid) override
    {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable) ||
            iid == __uuidof(sdk::IWlanConnectionProfileDetails))
            return static_cast<sdk::IWlanConnectionProfileDetails*>(this);
        return nullptr;
    }
    const wchar_t* ClassName() const override
    {
        return L"Windows.Networking.Connectivity.WlanConnectionProfileDetails";
    }

    std::wstring ssid_;
};

}  // namespace

void* CConnectionProfile::Find(REFIID iid)
{
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable) || iid == __uuidof(sdk::IConnectionProfile))
        return static_cast<sdk::IConnectionProfile*>(this);
    if (iid == __uuidof(sdk::IConnectionProfile2) && facts_.secondInterface)
        return static_cast<sdk::IConnectionProfile2*>(this);
    return nullptr;
}

HRESULT CConnectionProfile::get_ProfileName(HSTRING* value) { return MakeString(facts_.name, value); }

HRESULT CConnectionProfile::GetNetworkConnectivityLevel(INT32* value)
{
    if (!value) return E_POINTER;
    *value = facts_.connected ? 1 : 0;  // LocalAccess: a camera's network has no internet
    return S_OK;
}

HRESULT CConnectionProfile::GetNetworkNames(IInspectable** value) { return NotModelled(value); }
HRESULT CConnectionProfile::GetConnectionCost(IInspectable** value) { return NotModelled(value); }
HRESULT CConnectionProfile::GetDataPlanStatus(IInspectable** value) { return NotModelled(value); }

HRESULT CConnectionProfile::get_NetworkAdapter(sdk::INetworkAdapter** value)
{
    if (!value) return E_POINTER;
    *value = new CNetworkAdapter(facts_.adapter);
    return S_OK;
}

HRESULT CConnectionProfile::get_IsWwanConnectionProfile(boolean* value)
{
    if (!value) return E_POINTER;
    *value = false;
    return S_OK;
}

HRESULT CConnectionProfile::get_IsWlanConnectionProfile(boolean* value)
{
    if (!value) return E_POINTER;
    *value = true;
    return S_OK;
}

HRESULT CConnectionProfile::get_WwanConnectionProfileDetails(IInspectable** value)
{
    if (!value) return E_POINTER;
    *value = nullptr;  // not a mobile broadband profile
    return S_OK;
}

HRESULT CConnectionProfile::get_WlanConnectionProfileDetails(sdk::IWlanConnectionProfileDetails** value)
{
    if (!value) return E_POINTER;
    *value = new CWlanDetails(facts_.connected ? facts_.ssid : std::wstring());
    return S_OK;
}

CProfileList::CProfileList(const std::vector<ProfileFacts>& profiles)
    : RtObject(L"Windows.Foundation.Collections.IVectorView<ConnectionProfile>")
{
    for (const ProfileFacts& facts : profiles) items_.push_back(new CConnectionProfile(facts));
}

void CProfileList::Dispose()
{
    for (CConnectionProfile* item : items_) item->Release();
    items_.clear();
}

void* CProfileList::Find(REFIID iid)
{
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable) ||
        iid == __uuidof(sdk::IConnectionProfileVectorView))
        return static_cast<sdk::IConnectionProfileVectorView*>(this);
    return nullptr;
}

HRESULT CProfileList::GetAt(UINT32 index, sdk::IConnectionProfile** item)
{
    if (!item) return E_POINTER;
    *item = nullptr;
    if (index >= items_.size()) return static_cast<HRESULT>(0x8000000BL);  // E_BOUNDS, which mingw-w64 does not declare
    items_[index]->AddRef();
    *item = items_[index];
    return S_OK;
}

HRESULT CProfileList::get_Size(UINT32* size)
{
    if (!size) return E_POINTER;
    *size = static_cast<UINT32>(items_.size());
    return S_OK;
}

HRESULT CProfileList::IndexOf(sdk::IConnectionProfile* item, UINT32* index, boolean* found)
{
    if (!index || !found) return E_POINTER;
    *index = 0;
    *found = false;
    for (UINT32 i = 0; i < items_.size(); ++i) {
        if (static_cast<sdk::IConnectionProfile*>(items_[i]) == item) {
            *index = i;
            *found = true;
            break;
        }
    }
    return S_OK;
}

HRESULT CProfileList::GetMany(UINT32 start, UINT32 capacity, sdk::IConnectionProfile** items, UINT32* actual)
{
    if (!actual || (capacity && !items)) return E_POINTER;
    *actual = 0;
    for (UINT32 i = start; i < items_.size() && *actual < capacity; ++i) {
        items_[i]->AddRef();
        items[(*actual)++] = items_[i];
    }
    return S_OK;
}

}  // namespace tapdeck::sim
