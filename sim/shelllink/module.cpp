// The in-process server registered for CLSID_ShellLink in the test prefix.
#include <windows.h>
#include <shobjidl.h>
#include <atomic>

#include "class_factory.h"
#include "shell_link.h"

namespace tapdeck::sim {
std::atomic<long> g_liveObjects{0};
}

namespace {

std::atomic<long> g_locks{0};

tapdeck::sim::ClassFactory<IUnknown* (*)()> g_factory(tapdeck::sim::NewShellLink, g_locks);

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != CLSID_ShellLink) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return (tapdeck::sim::g_liveObjects == 0 && g_locks == 0) ? S_OK : S_FALSE;
}
