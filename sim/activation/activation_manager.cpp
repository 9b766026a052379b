#include "activation_manager.h"

#include <string>

#include "activation_channel.h"
#include "fault.h"
#include "sim_state.h"

namespace tapdeck::sim {

std::atomic<long> g_liveObjects{0};

HRESULT STDMETHODCALLTYPE ActivationManager::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IApplicationActivationManager) {
        *out = static_cast<IApplicationActivationManager*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ActivationManager::AddRef()
{
    return refs_.AddRef();
}

ULONG STDMETHODCALLTYPE ActivationManager::Release()
{
    bool last = false;
    const ULONG left = refs_.Release(last);
    if (last) {
        delete this;
        --g_liveObjects;
        // Kept current: the server outlives its clients by a few seconds.
        WriteCensus(activation::kCensus);
    }
    return left;
}

HRESULT STDMETHODCALLTYPE ActivationManager::ActivateApplication(LPCWSTR appUserModelId, LPCWSTR arguments,
                                                                 ACTIVATEOPTIONS options, DWORD* processId)
{
    if (!processId) return E_POINTER;
    *processId = 0;
    const std::wstring id = appUserModelId ? appUserModelId : L"";
    AppendRecord(activation::kArea, activation::kRecords,
                 L"activate\t" + id + L"\t" + (arguments ? arguments : L"") + L"\t" +
                     std::to_wstring(static_cast<unsigned>(options)));
    if (const long fault = InjectedFault(L"ActivateApplication")) return fault;
    // Like the platform: an id that names no app cannot be activated.
    if (id.empty() || id.find(L'!') == std::wstring::npos) return E_INVALIDARG;
    *processId = ::GetCurrentProcessId();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ActivationManager::ActivateForFile(LPCWSTR, IShellItemArray*, LPCWSTR, DWORD*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ActivationManager::ActivateForProtocol(LPCWSTR, IShellItemArray*, DWORD*)
{
    return E_NOTIMPL;
}

}  // namespace tapdeck::sim
