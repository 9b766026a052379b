#include "app_visibility.h"

#include <string>

#include "fault.h"
#include "sim_state.h"
#include "unique_handle.h"

namespace tapdeck::sim {
namespace {

void Record(const std::wstring& line)
{
    AppendRecord(appvisibility::kArea, appvisibility::kRecords, line);
}

int ReadField(const std::wstring& text, const std::wstring& key, int fallback)
{
    const size_t at = text.find(key + L"=");
    if (at == std::wstring::npos) return fallback;
    return _wtoi(text.c_str() + at + key.size() + 1);
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    reinterpret_cast<std::vector<HMONITOR>*>(data)->push_back(monitor);
    return TRUE;
}

}  // namespace

std::atomic<long> g_liveObjects{0};

appvisibility::VisibilityState ReadVisibilityState()
{
    const std::wstring text = ReadStateFile(appvisibility::kArea, appvisibility::kState);
    appvisibility::VisibilityState state;
    state.launcherVisible = ReadField(text, L"launcher", 0) != 0;
    state.mode = ReadField(text, L"mode", MAV_NO_APP_VISIBLE);
    return state;
}

HRESULT STDMETHODCALLTYPE AppVisibility::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IAppVisibility) {
        *out = static_cast<IAppVisibility*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE AppVisibility::AddRef()
{
    return refs_.AddRef();
}

ULONG STDMETHODCALLTYPE AppVisibility::Release()
{
    bool last = false;
    const ULONG left = refs_.Release(last);
    if (last) {
        --g_liveObjects;
        Bury(this);
    }
    return left;
}

HRESULT STDMETHODCALLTYPE AppVisibility::GetAppVisibilityOnMonitor(HMONITOR monitor, MONITOR_APP_VISIBILITY* mode)
{
    if (!mode) return E_POINTER;
    if (!monitor) return E_INVALIDARG;
    *mode = static_cast<MONITOR_APP_VISIBILITY>(ReadVisibilityState().mode);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE AppVisibility::IsLauncherVisible(BOOL* visible)
{
    if (!visible) return E_POINTER;
    if (const long fault = InjectedFault(L"AppVisibility.IsLauncherVisible")) return fault;
    *visible = ReadVisibilityState().launcherVisible ? TRUE : FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE AppVisibility::Advise(IAppVisibilityEvents* callback, DWORD* cookie)
{
    if (!callback || !cookie) return E_POINTER;
    if (const long fault = InjectedFault(L"AppVisibility.Advise")) return fault;
    *cookie = VisibilityEvents::Get().Add(callback);
    return *cookie ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE AppVisibility::Unadvise(DWORD cookie)
{
    return VisibilityEvents::Get().Remove(cookie) ? S_OK : E_INVALIDARG;
}

VisibilityEvents& VisibilityEvents::Get()
{
    static VisibilityEvents* events = new VisibilityEvents();  // lives as long as the process
    return *events;
}

DWORD VisibilityEvents::Add(IAppVisibilityEvents* sink)
{
    DWORD cookie = 0;
    {
        std::lock_guard lock(lock_);
        cookie = nextCookie_++;
        sinks_.emplace_back(cookie, com_ptr<IAppVisibilityEvents>::copy(sink));
        if (!watching_) {
            last_ = ReadVisibilityState();
            unique_handle thread(::CreateThread(nullptr, 0, WatchThread, this, 0, nullptr));
            watching_ = static_cast<bool>(thread);
        }
    }
    Record(L"advise\t" + std::to_wstring(cookie));
    return cookie;
}

bool VisibilityEvents::Remove(DWORD cookie)
{
    com_ptr<IAppVisibilityEvents> removed;  // released outside the lock
    {
        std::lock_guard lock(lock_);
        for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
            if (it->first == cookie) {
                removed = std::move(it->second);
                sinks_.erase(it);
                break;
            }
        }
    }
    if (!removed) return false;
    Record(L"unadvise\t" + std::to_wstring(cookie));
    return true;
}

// Runs for the rest of the process once a sink was advised.
DWORD WINAPI VisibilityEvents::WatchThread(void* self)
{
    unique_event changed(
        ::CreateEventW(nullptr, FALSE, FALSE, appvisibility::ChangedEventFor(::GetCurrentProcessId()).c_str()));
    if (!changed) return 1;
    while (::WaitForSingleObject(changed.get(), INFINITE) == WAIT_OBJECT_0)
        static_cast<VisibilityEvents*>(self)->RaiseChanges();
    return 0;
}

void VisibilityEvents::RaiseChanges()
{
    const appvisibility::VisibilityState now = ReadVisibilityState();
    const appvisibility::VisibilityState before = last_;
    last_ = now;
    std::vector<com_ptr<IAppVisibilityEvents>> sinks;
    {
        std::lock_guard lock(lock_);
        for (const auto& entry : sinks_) sinks.push_back(entry.second);
    }
    if (now.launcherVisible != before.launcherVisible) {
        for (const auto& sink : sinks) sink->LauncherVisibilityChange(now.launcherVisible ? TRUE : FALSE);
        // Recorded once every sink has heard it, so that a reader of the
        // record knows the sinks' work is under way.
        Record(L"notify\tlauncher\t" + std::to_wstring(now.launcherVisible ? 1 : 0));
    }
    if (now.mode != before.mode) {
        std::vector<HMONITOR> monitors;
        ::EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
        for (HMONITOR monitor : monitors)
            for (const auto& sink : sinks)
                sink->AppVisibilityOnMonitorChanged(monitor, static_cast<MONITOR_APP_VISIBILITY>(before.mode),
                                                    static_cast<MONITOR_APP_VISIBILITY>(now.mode));
        Record(L"notify\tmonitor\t" + std::to_wstring(before.mode) + L"\t" + std::to_wstring(now.mode));
    }
}

}  // namespace tapdeck::sim
