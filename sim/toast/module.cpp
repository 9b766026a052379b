// The toast host of the test prefix: serves the two toast classes to any
// program that asks the Windows Runtime for them.
//
// Rules of Windows it keeps:
// - A desktop program's toast appears only when a shortcut installed in a
//   Start-menu Programs folder (all users or the user's, subfolders too)
//   carries its System.AppUserModel.ID; a desktop shortcut does not count
//   ("How to enable desktop toast notifications through an AppUserModelID").
//   Otherwise "your toast will not be displayed" ("Quickstart: Sending a
//   toast notification from the desktop"): no error is documented, so Show
//   succeeds, nothing appears, no event is raised, and the record says
//   "dropped". The shortcuts are looked at on every Show.
// Not kept: notification settings, scheduling, the Action Center.
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
