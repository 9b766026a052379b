#pragma once
// The activation factories of the two toast classes, and the notifier.
#include <activation.h>
#include <string>

#include "rt_object.h"
#include "toast.h"

namespace tapdeck::sim {

class ToastNotifier final : public RtObject<sdk::IToastNotifier> {
public:
    explicit ToastNotifier(std::wstring appId)
        : RtObject(L"Windows.UI.Notifications.ToastNotifier"), appId_(std::move(appId))
    {
    }

    HRESULT STDMETHODCALLTYPE Show(sdk::IToastNotification* notification) override;
    HRESULT STDMETHODCALLTYPE Hide(sdk::IToastNotification* notification) override;
    HRESULT STDMETHODCALLTYPE get_Setting(sdk::NotificationSetting* value) override;
    HRESULT STDMETHODCALLTYPE AddToSchedule(sdk::IScheduledToastNotification* scheduledToast) override;
    HRESULT STDMETHODCALLTYPE RemoveFromSchedule(sdk::IScheduledToastNotification* scheduledToast) override;
    HRESULT STDMETHODCALLTYPE GetScheduledToastNotifications(
        sdk::IScheduledToastNotificationVectorView** scheduledToasts) override;

protected:
    void* Find(REFIID iid) override;
    const wchar_t* ClassName() const override { return L"Windows.UI.Notifications.ToastNotifier"; }

private:
    std::wstring appId_;
};

class ToastManagerStatics final : public RtObject<IActivationFactory, sdk::IToastNotificationManagerStatics> {
public:
    ToastManagerStatics() : RtObject(L"Windows.UI.Notifications.ToastNotificationManager (statics)") {}
    HRESULT STDMETHODCALLTYPE ActivateInstance(IInspectable** instance) override;
    HRESULT STDMETHODCALLTYPE CreateToastNotifier(sdk::IToastNotifier** notifier) override;
    HRESULT STDMETHODCALLTYPE CreateToastNotifierWithId(HSTRING applicationId, sdk::IToastNotifier** notifier) override;
    HRESULT STDMETHODCALLTYPE GetTemplateContent(sdk::ToastTemplateType type, sdk::IXmlDocument** content) override;

protected:
    void* Find(REFIID iid) override;
    const wchar_t* ClassName() const override { return sdk::RuntimeClass_ToastNotificationManager; }
};

class ToastNotificationFactory final : public RtObject<IActivationFactory, sdk::IToastNotificationFactory> {
public:
    ToastNotificationFactory() : RtObject(L"Windows.UI.Notifications.ToastNotification (factory)") {}
    HRESULT STDMETHODCALLTYPE ActivateInstance(IInspectable** instance) override;
    HRESULT STDMETHODCALLTYPE CreateToastNotification(sdk::IXmlDocument* content,
                                                      sdk::IToastNotification** notification) override;

protected:
    void* Find(REFIID iid) override;
    const wchar_t* ClassName() const override { return sdk::RuntimeClass_ToastNotification; }
};

}  // namespace tapdeck::sim
