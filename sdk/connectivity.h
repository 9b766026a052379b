#pragma once
// Windows.Networking.Connectivity, declared at the ABI for what Pairwell
// reads: the connection profiles, and for a WLAN profile its adapter and the
// SSID it is connected to. Only the slots up to the last one used are
// declared; slot order is the vtable order; never add a virtual destructor.
// IConnectionProfile2 (IsWlanConnectionProfile, WlanConnectionProfileDetails)
// is the class's second interface; a system without it answers its
// QueryInterface with E_NOINTERFACE.
#include <windows.h>
#include <inspectable.h>

namespace sdk {

struct IConnectionProfile;
struct INetworkAdapter;
struct IWlanConnectionProfileDetails;

// IVectorView<ConnectionProfile>: GetAt, Size, IndexOf, GetMany.
struct IConnectionProfileVectorView : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetAt(UINT32 index, IConnectionProfile** item) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Size(UINT32* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE IndexOf(IConnectionProfile* item, UINT32* index, boolean* found) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMany(UINT32 start, UINT32 capacity, IConnectionProfile** items,
                                              UINT32* actual) = 0;
};

struct INetworkInformationStatics : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetConnectionProfiles(IConnectionProfileVectorView** profiles) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInternetConnectionProfile(IConnectionProfile** profile) = 0;
};

struct IConnectionProfile : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_ProfileName(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNetworkConnectivityLevel(INT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNetworkNames(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetConnectionCost(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDataPlanStatus(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NetworkAdapter(INetworkAdapter** value) = 0;
};

struct IConnectionProfile2 : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_IsWwanConnectionProfile(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsWlanConnectionProfile(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WwanConnectionProfileDetails(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WlanConnectionProfileDetails(IWlanConnectionProfileDetails** value) = 0;
};

struct INetworkAdapter : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_OutboundMaxBitsPerSecond(UINT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_InboundMaxBitsPerSecond(UINT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IanaInterfaceType(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NetworkItem(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NetworkAdapterId(GUID* value) = 0;
};

struct IWlanConnectionProfileDetails : IInspectable {
    // Empty when the profile is not connected.
    virtual HRESULT STDMETHODCALLTYPE GetConnectedSsid(HSTRING* value) = 0;
};

inline constexpr wchar_t RuntimeClass_NetworkInformation[] = L"Windows.Networking.Connectivity.NetworkInformation";

}  // namespace sdk

__CRT_UUID_DECL(sdk::IConnectionProfileVectorView, 0x6db1b492, 0x3852, 0x5df8, 0xa2, 0x9d, 0x69, 0x44, 0x00, 0x2f, 0x58,
                0xd4)
__CRT_UUID_DECL(sdk::INetworkInformationStatics, 0x5074f851, 0x950d, 0x4165, 0x9c, 0x15, 0x36, 0x56, 0x19, 0x48, 0x1e,
                0xea)
__CRT_UUID_DECL(sdk::IConnectionProfile, 0x71ba143c, 0x598e, 0x49d0, 0x84, 0xeb, 0x8f, 0xeb, 0xae, 0xdc, 0xc1, 0x95)
__CRT_UUID_DECL(sdk::IConnectionProfile2, 0xe2045145, 0x4c9f, 0x400c, 0x91, 0x50, 0x7e, 0xc7, 0xd6, 0xe2, 0x88, 0x8a)
__CRT_UUID_DECL(sdk::INetworkAdapter, 0x3b542e03, 0x5388, 0x496c, 0xa8, 0xa3, 0xaf, 0xfd, 0x39, 0xae, 0xc2, 0xe6)
__CRT_UUID_DECL(sdk::IWlanConnectionProfileDetails, 0x562098cb, 0xb35a, 0x4bf1, 0xa8, 0x84, 0xb7, 0x55, 0x7e, 0x88,
                0xff, 0x86)
