#pragma once
// What every Windows Runtime stand-in library exports. The runtime asks the
// library registered for a class for that class's factory, and expects it
// with a reference of its own, or CLASS_E_CLASSNOTAVAILABLE for a class the
// library does not serve ("DllGetActivationFactory function"). The
// libraries are never unloaded, and each writes its census as the process
// ends.
#include <windows.h>
#include <activation.h>

#include <initializer_list>

#include "census.h"

namespace tapdeck::sim {

// A class a library serves: its name, and its factory with a new reference
// (null when out of memory).
struct ServedClass {
    const wchar_t* name;
    IActivationFactory* (*factory)();
};

HRESULT ActivationFactoryOf(std::initializer_list<ServedClass> classes, HSTRING classId,
                            IActivationFactory** factory);

// A factory the library keeps for the whole process.
template <typename T>
IActivationFactory* KeptFactory()
{
    T& kept = T::Instance();
    kept.AddRef();
    return &kept;
}

}  // namespace tapdeck::sim

// The library's three entry points: the census name, then a braced list of
// the classes it serves.
#define TAPDECK_SIM_RUNTIME_MODULE(census, ...)                                                                  \
    extern "C" __declspec(dllexport) HRESULT WINAPI DllGetActivationFactory(HSTRING classId,                     \
                                                                            IActivationFactory** factory)        \
    {                                                                                                            \
        return ::tapdeck::sim::ActivationFactoryOf(__VA_ARGS__, classId, factory);                               \
    }                                                                                                            \
    extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }                        \
    extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*)                                               \
    {                                                                                                            \
        if (reason == DLL_PROCESS_DETACH) ::tapdeck::sim::WriteCensus(census);                                   \
        return TRUE;                                                                                             \
    }
