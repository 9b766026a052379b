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

// The presenter's embedded handler of the notification's three events. Its
// count starts at 1 and the presenter holds that reference for its whole
// life: it is never freed through its count.
class ToastEventHandler final : public sdk::IToastActivatedHandler,
                                public sdk::IToastDismissedHandler,
                                public sdk::IToastFailedHandler {
public:
    explicit ToastEventHandler(ToastPresenter& owner) noexcept : owner_(owner) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    IUnknown* Unknown() noexcept { return static_cast<sdk::IToastActivatedHandler*>(this); }

private:
    HRESULT STDMETHODCALLTYPE Invoke(sdk::IToastNotification* sender, IInspectable* args) override;
    HRESULT STDMETHODCALLTYPE Invoke(sdk::IToastNotification* sender, sdk::IToastDismissedEventArgs* args) override;
    HRESULT STDMETHODCALLTYPE Invoke(sdk::IToastNotification* sender, sdk::IToastFailedEventArgs* args) override;

    ToastPresenter& owner_;
    std::atomic<ULONG> refs_{1};
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
    std::wstring imagePath;
    std::wstring text1;
    std::wstring text2;
    std::wstring text3;
    std::wstring appUserModelId;

private:
    friend class ToastEventHandler;
    void OnActivated();

    com_ptr<sdk::IToastNotification> notification_;
    ToastEventHandler handler_{*this};
    EventRegistrationToken activatedToken_{};
    EventRegistrationToken dismissedToken_{};
    EventRegistrationToken failedToken_{};
    std::function<void()> onActivated_;
    // Held shared by a handler while it runs, and exclusively by the
    // destructor: a click being handled finishes before the presenter goes.
    std::shared_mutex callbackLock_;
};

// Shows the connecting toast (string 534) with the application user model id
// "Vexa.Quor.Tapdeck", making the presenter when toast is null. Nothing is
// shown when string 534 is missing or empty. The flow later calls
// toast->HideToast() and resets toast.
void ShowConnectingToast(std::unique_ptr<ToastPresenter>& toast, std::function<void()> launchCompanion);

}  // namespace tapdeck::pairwell
