#pragma once
// The app-visibility service of the test prefix: answers from the state
// simctl sets, and tells advised sinks when it changes.
#include <windows.h>
#include <shobjidl.h>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "appvisibility_channel.h"
#include "census.h"
#include "com_ptr.h"
#include "graveyard.h"

namespace tapdeck::sim {

appvisibility::VisibilityState ReadVisibilityState();

class AppVisibility final : public IAppVisibility, public Buried {
public:
    AppVisibility() : refs_(L"AppVisibility", 1) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetAppVisibilityOnMonitor(HMONITOR monitor, MONITOR_APP_VISIBILITY* mode) override;
    HRESULT STDMETHODCALLTYPE IsLauncherVisible(BOOL* visible) override;
    HRESULT STDMETHODCALLTYPE Advise(IAppVisibilityEvents* callback, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;

private:
    CountedRefs refs_;
};

// The sinks of every service object in the process, and the thread that
// raises their events; process-wide like the platform's service.
class VisibilityEvents {
public:
    static VisibilityEvents& Get();
    DWORD Add(IAppVisibilityEvents* sink);
    bool Remove(DWORD cookie);

private:
    static DWORD WINAPI WatchThread(void* self);
    void RaiseChanges();

    std::mutex lock_;
    DWORD nextCookie_ = 1;                                               // guarded by lock_
    std::vector<std::pair<DWORD, com_ptr<IAppVisibilityEvents>>> sinks_;  // guarded by lock_
    bool watching_ = false;                                              // guarded by lock_
    appvisibility::VisibilityState last_;                                // watch thread only
};

extern std::atomic<long> g_liveObjects;

}  // namespace tapdeck::sim
