#pragma once
// The "screen" of the toast stand-in: which toast is shown, the records, and
// the thread that turns simctl's click and dismissal into toast events.
#include <string>

#include "toast_notification.h"

namespace tapdeck::sim {

class ToastHost {
public:
    static ToastHost& Get();

    // Puts the toast on screen, or records it as dropped when no Start-menu
    // shortcut carries the app id, as Windows does for a desktop program.
    void Show(const std::wstring& appId, ToastNotification* notification);
    // False when this notification was never shown.
    bool Hide(const std::wstring& appId, ToastNotification* notification);

private:
    ToastHost() = default;
    void StartDriver();
    static DWORD WINAPI DriverThread(void* self);
    void OnUserAction(bool activate);

    std::mutex lock_;
    com_ptr<ToastNotification> shown_;           // guarded by lock_
    std::wstring shownAppId_;                    // guarded by lock_
    std::vector<ToastNotification*> everShown_;  // identity only; guarded by lock_
    bool driverStarted_ = false;                 // guarded by lock_
};

}  // namespace tapdeck::sim
