#pragma once
// One connection run: from the camera payload to the connected network and
// the companion app, with the dialogs the user's situation calls for; or
// from a standard Wi-Fi tag to its network, with the same care.
#include <windows.h>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "companion_profile.h"
#include "toast_presenter.h"
#include "unique_handle.h"
#include "usage_stats.h"
#include "wlan_link.h"
#include "wlan_profile.h"

namespace tapdeck::pairwell {

// Whether the companion's package family counts as installed.
using PackageQuery = std::function<bool(const wchar_t* packageFamilyName)>;

class ConnectionRun {
public:
    // instance: the module whose icon the dialogs show, until RunConnection
    // names the one the program was started with.
    explicit ConnectionRun(HINSTANCE instance = nullptr, PackageQuery isInstalled = nullptr);
    ~ConnectionRun();
    ConnectionRun(const ConnectionRun&) = delete;
    ConnectionRun& operator=(const ConnectionRun&) = delete;

    // The whole flow on the calling (main) thread.
    void RunConnection(HINSTANCE instance, const wchar_t* commandLineText);
    // Drops the current connection when its profile name is profileName
    // (without regard to case). Shows nothing.
    void DisconnectCamera(const std::wstring& profileName);

    // True when the flow may continue; each may show its dialog first.
    bool CheckCompanionInstalled();
    bool CheckRadioOn();
    // True when the flow may connect: not connected, or the user agreed (or
    // said not to ask again) and the current network was dropped.
    bool ConfirmDisconnect();
    // The bounded connect-and-wait loop on the open interface: kConnected,
    // kConnectCancelled, or E_FAIL.
    HRESULT ConnectWithRetries();
    // On the main thread after connecting, or on the toast's thread when the
    // user clicks it.
    void LaunchCompanion();

    // Observer thread: ends the connect loop. A request that comes before the
    // loop runs is kept, so the loop ends before its first attempt.
    void Cancel();
    // Native Wifi thread: a connection completed. Only a completion for the
    // run's interface and the camera's profile ends the wait; one for another
    // network or another adapter is not the camera's.
    void SignalConnected(const GUID& interfaceGuid, const std::wstring& profileName);

    // The connect loop's events exist only while it runs (ConnectWithRetries).
    bool CreateConnectEvents();
    void CloseConnectEvents();
    HANDLE ConnectEvent() const noexcept { return connectEvent_.get(); }
    HANDLE CancelEvent() const noexcept { return cancelEvent_.get(); }

    // For tests, which run the flow's steps one by one: what decoding the
    // payload and reading the companion's profile would give, and the
    // interface the steps work on.
    void SetCameraNetwork(std::wstring ssid, std::wstring passphrase);
    void SetCompanionProfile(std::vector<AppInfoEntry> entries) { profile_ = std::move(entries); }
    bool OpenInterface() { return wlan_.OpenFirstInterface(); }
    void CloseInterface() noexcept { wlan_.Close(); }
    const GUID& InterfaceGuid() const noexcept { return wlan_.InterfaceGuid(); }

private:
    void RunCamera();
    void RunStandardTag();
    bool ReadCompanionProfile();
    bool WriteProfile();
    void HideToast();
    // Whatever the run's usage status: the client drops the event when the
    // library is not loaded, and a submission never loads it (the toast's
    // click may come after the flow released the client).
    void SubmitEvent(std::initializer_list<const wchar_t*> strings)
    {
        SubmitUsageEvent(static_cast<int>(strings.size()), strings.begin());
    }

    HINSTANCE instance_;
    PackageQuery isInstalled_;
    std::wstring commandLine_;
    // The profile's name (the network's name) and key material.
    std::wstring ssid_;
    std::wstring passphrase_;
    // The camera's SSID as the bytes it sent.
    std::string ssidBytes_;
    // A standard tag's run: its profile is tagProfile_, and the companion
    // app, which belongs to the camera, plays no part.
    bool standardTag_ = false;
    WlanProfileParams tagProfile_;
    std::vector<AppInfoEntry> profile_;
    WlanLink wlan_;
    // Created and closed by the main thread; set by the observer and the
    // Native Wifi threads, which take eventLock_ so that they never signal a
    // handle that is being closed.
    std::mutex eventLock_;
    unique_event connectEvent_;  // guarded by eventLock_
    unique_event cancelEvent_;   // guarded by eventLock_
    std::atomic<bool> cancelRequested_{false};
    std::unique_ptr<ToastPresenter> toast_;
    UsageUser usage_;
    // Held around a launch of the companion: the main thread and the
    // toast's thread may both launch it.
    std::mutex launchLock_;
    bool companionMissing_ = false;  // guarded by launchLock_
};

}  // namespace tapdeck::pairwell
