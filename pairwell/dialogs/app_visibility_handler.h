#pragma once
// Turns app-visibility events, which arrive on COM threads, into a message
// posted to a dialog window.
#include <windows.h>
#include <shobjidl.h>
#include <atomic>

#include "com_ptr.h"

namespace tapdeck::pairwell {

class CAppVisibilityHandler final : public IAppVisibilityEvents {
public:
    // A new handler holding one reference for the caller; null when out of memory.
    static com_ptr<IAppVisibilityEvents> Make(HWND target, UINT message);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE AppVisibilityOnMonitorChanged(HMONITOR monitor, MONITOR_APP_VISIBILITY previousMode,
                                                            MONITOR_APP_VISIBILITY currentMode) override;
    HRESULT STDMETHODCALLTYPE LauncherVisibilityChange(BOOL currentVisibleState) override;

private:
    CAppVisibilityHandler(HWND target, UINT message) noexcept : target_(target), message_(message) {}
    ~CAppVisibilityHandler() = default;

    std::atomic<ULONG> refs_{1};
    HWND target_;
    UINT message_;
};

}  // namespace tapdeck::pairwell
