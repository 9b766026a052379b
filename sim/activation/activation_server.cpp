// The local server registered for CLSID_ApplicationActivationManager in the
// test prefix: COM starts it with -Embedding when a program asks for the class.
#include <windows.h>
#include <new>

#include "activation_channel.h"
#include "activation_manager.h"
#include "fault.h"

namespace {

using tapdeck::sim::ActivationManager;
using tapdeck::sim::g_liveObjects;

std::atomic<long> g_locks{0};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (const long fault = tapdeck::sim::InjectedFault(L"ApplicationActivationManager.CreateInstance")) return fault;
        auto* manager = new (std::nothrow) ActivationManager();
        if (!manager) return E_OUTOFMEMORY;
        ++g_liveObjects;
        const HRESULT hr = manager->QueryInterface(iid, out);
        manager->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        lock ? ++g_locks : --g_locks;
        return S_OK;
    }
};

Factory g_factory;

// Long enough for a client that creates the object just after the server starts.
constexpr DWORD kIdleMs = 3000;
// How long the server still serves after it stopped taking activations.
constexpr DWORD kDrainMs = 1000;
constexpr DWORD kPollMs = 50;

// Returns once no object and no lock has been alive for that long.
void WaitUntilIdleFor(DWORD milliseconds)
{
    DWORD idle = 0;
    while (idle < milliseconds) {
        ::Sleep(kPollMs);
        idle = (g_liveObjects > 0 || g_locks > 0) ? 0 : idle + kPollMs;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    DWORD cookie = 0;
    if (FAILED(::CoRegisterClassObject(CLSID_ApplicationActivationManager, &g_factory, CLSCTX_LOCAL_SERVER,
                                       REGCLS_MULTIPLEUSE, &cookie))) {
        ::CoUninitialize();
        return 1;
    }
    WaitUntilIdleFor(kIdleMs);
    // Windows ends a local server without failing a client: as its last
    // reference goes, CoReleaseServerProcess suspends its class objects, so
    // new activations go to a new instance, and a call already on its way is
    // still served (learn.microsoft.com/en-us/windows/win32/api/combaseapi/
    // nf-combaseapi-coreleaseserverprocess and nf-combaseapi-cosuspendclassobjects).
    // Wine's CoSuspendClassObjects does nothing, and a client that came as
    // the server ended called into a server that had gone. So the revoke
    // comes first, and the server serves on until it has been idle once more.
    ::CoRevokeClassObject(cookie);
    WaitUntilIdleFor(kDrainMs);
    ::CoUninitialize();
    tapdeck::sim::WriteCensus(tapdeck::sim::activation::kCensus);
    return 0;
}
