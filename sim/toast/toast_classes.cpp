#include "toast_classes.h"

#include <new>

#include "fault.h"
#include "toast_host.h"
#include "unique_hstring.h"

namespace tapdeck::sim {
namespace {

// Our own notification behind the interface, or null.
ToastNotification* Ours(sdk::IToastNotification* notification)
{
    // Only this module makes notifications; the platform would reject others too.
    return static_cast<ToastNotification*>(notification);
}

}  // namespace

HRESULT STDMETHODCALLTYPE ToastNotifier::Show(sdk::IToastNotification* notification)
{
    if (!notification) return E_POINTER;
    if (const long fault = InjectedFault(L"ToastNotifier.Show")) return fault;
    ToastHost::Get().Show(appId_, Ours(notification));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ToastNotifier::Hide(sdk::IToastNotification* notification)
{
    if (!notification) return E_POINTER;
    if (const long fault = InjectedFault(L"ToastNotifier.Hide")) return fault;
    return ToastHost::Get().Hide(appId_, Ours(notification)) ? S_OK : E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE ToastNotifier::get_Setting(sdk::NotificationSetting* value)
{
    if (!value) return E_POINTER;
    *value = sdk::NotificationSetting_Enabled;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ToastNotifier::AddToSchedule(sdk::IScheduledToastNotification*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE ToastNotifier::RemoveFromSchedule(sdk::IScheduledToastNotification*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE ToastNotifier::GetScheduledToastNotifications(sdk::IScheduledToastNotificationVectorView**)
{
    return E_NOTIMPL;
}

void* ToastNotifier::Find(REFIID iid)
{
    if (iid == IID_IUnknown || iid == __uuidof(IInspectable) || iid == __uuidof(sdk::IToastNotifier))
        return static_cast<sdk::IToastNotifier*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE ToastManagerStatics::ActivateInstance(IInspectable**) { return E_NOTIMPL; }

// A desktop program has no package identity: it must name its app id.
HRESULT STDMETHODCALLTYPE ToastManagerStatics::CreateToastNotifier(sdk::IToastNotifier**) { return E_INVALIDARG; }

HRESULT STDMETHODCALLTYPE ToastManagerStatics::CreateToastNotifierWithId(HSTRING applicationId,
                                                                          sdk::IToastNotifier** notifier)
{
    if (!notifier) return E_POINTER;
    *notifier = nullptr;
    if (const long fault = InjectedFault(L"CreateToastNotifierWithId")) return fault;
    const std::wstring appId = to_wstring(applicationId);
    if (appId.empty()) return E_INVALIDARG;
    auto* created = new (std::nothrow) ToastNotifier(appId);
    if (!created) return E_OUTOFMEMORY;
    *notifier = created;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ToastManagerStatics::GetTemplateContent(sdk::ToastTemplateType type,
                                                                   sdk::IXmlDocument** content)
{
    if (!content) return E_POINTER;
    *content = nullptr;
    if (const long fault = InjectedFault(L"GetTemplateContent")) return fault;
    XmlNode* document = XmlNode::MakeToastTemplate(type);
    if (!document) return E_INVALIDARG;
    const HRESULT hr = document->QueryInterface(__uuidof(sdk::IXmlDocument), reinterpret_cast<void**>(content));
    document->Release();
    return hr;
}

void* ToastManagerStatics::Find(REFIID iid)
{
    if (iid == IID_IUnknown || iid == __uuidof(IInspectable) || iid == __uuidof(IActivationFactory))
        return static_cast<IActivationFactory*>(this);
    if (iid == __uuidof(sdk::IToastNotificationManagerStatics))
        return static_cast<sdk::IToastNotificationManagerStatics*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE ToastNotificationFactory::ActivateInstance(IInspectable**) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE ToastNotificationFactory::CreateToastNotification(sdk::IXmlDocument* content,
                                                                            sdk::IToastNotification** notification)
{
    if (!notification) return E_POINTER;
    *notification = nullptr;
    if (!content) return E_POINTER;
    if (const long fault = InjectedFault(L"CreateToastNotification")) return fault;
    XmlNode* document = XmlNode::FromInterface(content);
    if (!document) return E_INVALIDARG;
    auto* created = new (std::nothrow) ToastNotification(document);
    if (!created) return E_OUTOFMEMORY;
    *notification = created;
    return S_OK;
}

void* ToastNotificationFactory::Find(REFIID iid)
{
    if (iid == IID_IUnknown || iid == __uuidof(IInspectable) || iid == __uuidof(IActivationFactory))
        return static_cast<IActivationFactory*>(this);
    if (iid == __uuidof(sdk::IToastNotificationFactory)) return static_cast<sdk::IToastNotificationFactory*>(this);
    return nullptr;
}

}  // namespace tapdeck::sim
