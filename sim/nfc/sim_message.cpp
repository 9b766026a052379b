#include "sim_message.h"

#include <new>

#include "fault.h"
#include "sim_buffer.h"

namespace tapdeck::sim {

void* CSimMessage::Find(REFIID iid)
{
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable) || iid == __uuidof(sdk::IProximityMessage))
        return static_cast<sdk::IProximityMessage*>(this);
    return nullptr;
}

HRESULT CSimMessage::get_MessageType(HSTRING* value)
{
    if (!value) return E_POINTER;
    *value = nullptr;
    if (const long fault = InjectedFault(L"ProximityMessage.MessageType")) return fault;
    return ::WindowsCreateString(type_.data(), static_cast<UINT32>(type_.size()), value);
}

HRESULT CSimMessage::get_SubscriptionId(INT64* value)
{
    if (!value) return E_POINTER;
    *value = subscriptionId_;
    return S_OK;
}

HRESULT CSimMessage::get_Data(sdk::IBuffer** value)
{
    if (!value) return E_POINTER;
    *value = nullptr;
    if (const long fault = InjectedFault(L"ProximityMessage.Data")) return fault;
    *value = new (std::nothrow) CSimBuffer(bytes_);
    return *value ? S_OK : E_OUTOFMEMORY;
}

HRESULT CSimMessage::get_DataAsString(HSTRING* value)
{
    if (!value) return E_POINTER;
    *value = nullptr;
    if (const long fault = InjectedFault(L"ProximityMessage.DataAsString")) return fault;
    std::wstring text(bytes_.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(bytes_[2 * i] | (bytes_[2 * i + 1] << 8));
    return ::WindowsCreateString(text.data(), static_cast<UINT32>(text.size()), value);
}

}  // namespace tapdeck::sim
