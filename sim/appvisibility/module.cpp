// The in-process server registered for CLSID_AppVisibility in the test prefix.
#include <windows.h>
#include <new>

#include "app_visibility.h"
#include "class_factory.h"
#include "fault.h"

namespace {

std::atomic<long> g_locks{0};

IUnknown* MakeService()
{
    if (tapdeck::sim::InjectedFault(L"AppVisibility.CreateInstance")) return nullptr;
    auto* service = new (std::nothrow) tapdeck::sim::AppVisibility();
    if (service) ++tapdeck::sim::g_liveObjects;
    return service;
}

tapdeck::sim::ClassFactory<IUnknown* (*)()> g_factory(MakeService, g_locks, L"AppVisibility (class factory)");

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != CLSID_AppVisibility) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

// The event thread runs for the rest of the process once a sink was advised.
extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return S_FALSE;
}

// What is still alive when the process ends is the service's census.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_DETACH) tapdeck::sim::WriteCensus(tapdeck::sim::appvisibility::kCensus);
    return TRUE;
}
