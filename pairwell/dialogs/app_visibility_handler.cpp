#include "app_visibility_handler.h"

#include <new>

namespace tapdeck::pairwell {

com_ptr<IAppVisibilityEvents> CAppVisibilityHandler::Make(HWND target, UINT message)
{
    return com_ptr<IAppVisibilityEvents>::attach(new (std::nothrow) CAppVisibilityHandler(target, message));
}

HRESULT STDMETHODCALLTYPE CAppVisibilityHandler::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IAppVisibilityEvents) {
        *object = static_cast<IAppVisibilityEvents*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CAppVisibilityHandler::AddRef()
{
    return ++refs_;
}

ULONG STDMETHODCALLTYPE CAppVisibilityHandler::Release()
{
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE CAppVisibilityHandler::AppVisibilityOnMonitorChanged(HMONITOR, MONITOR_APP_VISIBILITY,
                                                                              MONITOR_APP_VISIBILITY)
{
    ::PostMessageW(target_, message_, 0, 0);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAppVisibilityHandler::LauncherVisibilityChange(BOOL)
{
    ::PostMessageW(target_, message_, 0, 0);
    return S_OK;
}

}  // namespace tapdeck::pairwell
