#pragma once
// Task Scheduler and shell property declarations that the mingw-w64 10
// headers lack: the logon trigger interface, the start-pin property key and
// the run flags.
// Slot order is the vtable order; never add a virtual destructor here.
#include <windows.h>
#include <propkeydef.h>
#include <taskschd.h>

#ifndef __ILogonTrigger_INTERFACE_DEFINED__
#define __ILogonTrigger_INTERFACE_DEFINED__
MIDL_INTERFACE("72dade38-fae4-4b3e-baf4-5d009af02b1c")
ILogonTrigger : public ITrigger
{
    virtual HRESULT STDMETHODCALLTYPE get_Delay(BSTR* delay) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Delay(BSTR delay) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UserId(BSTR* user) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_UserId(BSTR user) = 0;
};
__CRT_UUID_DECL(ILogonTrigger, 0x72dade38, 0xfae4, 0x4b3e, 0xba, 0xf4, 0x5d, 0x00, 0x9a, 0xf0, 0x2b, 0x1c)
#endif

namespace sdk {

// System.AppUserModel.StartPinOption (VT_UI4), Windows 8 and later.
inline constexpr PROPERTYKEY PKEY_AppUserModel_StartPinOption = {
    {0x9f4c2855, 0x9f79, 0x4b39, {0xa8, 0xd0, 0xe1, 0xd4, 0x2d, 0xe1, 0xd5, 0xf3}}, 12};
inline constexpr UINT APPUSERMODEL_STARTPINOPTION_DEFAULT = 0;

// TASK_RUN_FLAGS of IRegisteredTask::RunEx.
inline constexpr LONG TASK_RUN_NO_FLAGS = 0x0;
inline constexpr LONG TASK_RUN_USE_SESSION_ID = 0x4;

}  // namespace sdk
