// The toast host of the test prefix: serves the two toast classes to any
// program that asks the Windows Runtime for them.
#include <windows.h>
#include <activation.h>
#include <new>

#include "census.h"
#include "toast_channel.h"
#include "toast_classes.h"
#include "unique_hstring.h"

extern "C" HRESULT STDAPICALLTYPE DllGetActivationFactory(HSTRING classId, IActivationFactory** factory)
{
    using namespace tapdeck::sim;
    if (!factory) return E_POINTER;
    *factory = nullptr;
    const std::wstring name = tapdeck::to_wstring(classId);
    if (name == sdk::RuntimeClass_ToastNotificationManager) *factory = new (std::nothrow) ToastManagerStatics();
    else if (name == sdk::RuntimeClass_ToastNotification) *factory = new (std::nothrow) ToastNotificationFactory();
    else return CLASS_E_CLASSNOTAVAILABLE;
    return *factory ? S_OK : E_OUTOFMEMORY;
}

// The host's thread runs for the rest of the process: never unload.
extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return S_FALSE;
}

// What is still alive when the process ends is the toast host's census.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_DETACH) tapdeck::sim::WriteCensus(tapdeck::sim::toast::kCensus);
    return TRUE;
}
