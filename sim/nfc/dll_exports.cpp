// The stand-in radio's entry points: the Windows Runtime asks the library
// for the factory of each class registered to it.
#include <windows.h>
#include <activation.h>
#include <winstring.h>

#include "census.h"
#include "cryptographic_buffer_statics.h"
#include "proximity.h"
#include "proximity_statics.h"
#include "radio_protocol.h"

using namespace tapdeck::sim;

extern "C" __declspec(dllexport) HRESULT WINAPI DllGetActivationFactory(HSTRING classId, IActivationFactory** factory)
{
    if (!factory) return E_POINTER;
    *factory = nullptr;
    const wchar_t* name = ::WindowsGetStringRawBuffer(classId, nullptr);
    if (!name) return CLASS_E_CLASSNOTAVAILABLE;
    if (wcscmp(name, sdk::RuntimeClass_ProximityDevice) == 0) {
        *factory = &CProximityStatics::Instance();
    } else if (wcscmp(name, sdk::RuntimeClass_CryptographicBuffer) == 0) {
        *factory = &CCryptographicBufferStatics::Instance();
    } else {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    (*factory)->AddRef();
    return S_OK;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }

// What is still alive when the process ends is this radio's census.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_DETACH) WriteCensus(kNfcCensus);
    return TRUE;
}

// Writes this process's radio census now, for a test that runs the radio in its own process.
extern "C" __declspec(dllexport) void WINAPI TapdeckSimWriteCensus() { WriteCensus(kNfcCensus); }
