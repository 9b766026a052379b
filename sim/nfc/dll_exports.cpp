// The stand-in radio's entry points: the Windows Runtime asks the library
// for the factory of each class registered to it.
#include <windows.h>
#include <activation.h>
#include <winstring.h>

#include "cryptographic_buffer_statics.h"
#include "proximity.h"
#include "proximity_statics.h"

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
    return S_OK;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }
