#pragma once
// The toast shown while Pairwell connects to the camera; clicking it starts
// the companion app at once.
#include <windows.h>
#include <eventtoken.h>
#include <atomic>
#include <functional>
#include <memory>
#include <shared_mutex>
#include <string>

#include "com_ptr.h"
#include "toast.h"

namespace tapdeck::pairwell {

class ToastPresenter;

// The handler of the notification's three events: a heap object of its own,
// freed by its last Release, since the platform may still hold a reference
// (and be about to call or release it) after the presenter is gone. It
// reaches the presenter through a back pointer that the presenter clears
// when it goes.
class ToastEventHandler final : public sdk::IToastActivatedHandler,
                                public sdk::IToastDismissedHandler,
                                public sdk::IToastFailedHandler {
public:
    // Count 1, held by the caller.
    static com_ptr<ToastEventHandler> Make(ToastPresenter& owner);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // The presenter is going: waits for a click being handled, and no call
    // reaches the presenter afterwards.
    void Detach() noexcept;

private:
    explicit ToastEventHandler(ToastPresenter& owner) noexcept : owner_(&owner) {}
    ~ToastEventHandler() = default;

    HRESULT STDMETHODCALLTYPE Invoke(sdk::IToastNotification* sender, IInspectable* args) override;
    HRESULT STDMETHODCALLTYPE Invoke(sdk::IToastNotification* sender, sdk::IToastDismissedEventArgs* args) override;
    HRESULT STDMETHODCALLTYPE Invoke(sdk::IToastNotification* sender, sdk::IToastFailedEventArgs* args) override;

    std::atomic<ULONG> refs_{1};
    // Held shared while a click is handled, exclusively by Detach.
    std::shared_mutex ownerLock_;
    ToastPresenter* owner_;  // guarded by ownerLock_; null once detached
};

class ToastPresenter {
public:
    // onActivated runs on the toast's callback thread when the user clicks
    // the toast (the flow passes its LaunchCompanion).
    explicit ToastPresenter(std::function<void()> onActivated);
    ~ToastPresenter();
    ToastPresenter(const ToastPresenter&) = delete;
    ToastPresenter& operator=(const ToastPresenter&) = delete;

    // Shows the toast as the fields below describe; failures are silent.
    HRESULT Show();
    // Removes the handlers and hides the shown notification; true when hidden.
    bool HideToast();

    sdk::ToastTemplateType templateType = sdk::ToastTemplateType_ToastText01;
    std::wstring text1;
    std::wstring text2;
    std::wstring text3;
    std::wstring appUserModelId;

private:
    friend class ToastEventHandler;
    void OnActivated();

    com_ptr<sdk::IToastNotification> notification_;
    com_ptr<ToastEventHandler> handler_;
    EventRegistrationToken activatedToken_{};
    EventRegistrationToken dismissedToken_{};
    EventRegistrationToken failedToken_{};
    std::function<void()> onActivated_;
};

// Shows the connecting toast (string 534) with the application user model id
// "Vexa.Quor.Tapdeck", making the presenter when toast is null. Nothing is
// shown when string 534 is missing or empty. The flow later calls
// toast->HideToast() and resets toast.
void ShowConnectingToast(std::unique_ptr<ToastPresenter>& toast, std::function<void()> launchCompanion);

// A standard Wi-Fi tag's toasts: connecting to the network, and joined it.
// They name the network (the text's "%1"); a click starts nothing, since
// the companion app belongs to the camera. Nothing is shown when the
// string is missing or empty.
void ShowTagConnectingToast(std::unique_ptr<ToastPresenter>& toast, const std::wstring& network);
void ShowTagConnectedToast(std::unique_ptr<ToastPresenter>& toast, const std::wstring& network);

// The text with its first "%1" replaced by the value.
std::wstring InsertValue(std::wstring text, const std::wstring& value);

}  // namespace tapdeck::pairwell
