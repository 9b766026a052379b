#include "toast_notification.h"

#include <cstdio>
#include <new>

#include "sim_state.h"
#include "toast_channel.h"

namespace tapdeck::sim {
namespace {

class DismissedArgs final : public RtObject<sdk::IToastDismissedEventArgs> {
public:
    explicit DismissedArgs(sdk::ToastDismissalReason reason)
        : RtObject(L"Windows.UI.Notifications.ToastDismissedEventArgs"), reason_(reason)
    {
    }
    HRESULT STDMETHODCALLTYPE get_Reason(sdk::ToastDismissalReason* value) override
    {
        if (!value) return E_POINTER;
        *value = reason_;
        return S_OK;
    }

protected:
    void* Find(REFIID iid) override
    {
        if (iid == IID_IUnknown || iid == __uuidof(IInspectable) || iid == __uuidof(sdk::IToastDismissedEventArgs))
            return static_cast<sdk::IToastDismissedEventArgs*>(this);
        return nullptr;
    }
    const wchar_t* ClassName() const override { return L"Windows.UI.Notifications.ToastDismissedEventArgs"; }

private:
    sdk::ToastDismissalReason reason_;
};

// What a click hands the Activated handlers: an object with no arguments.
class ActivatedArgs final : public RtObject<IInspectable> {
public:
    ActivatedArgs() : RtObject(L"Windows.UI.Notifications.ToastActivatedEventArgs") {}

protected:
    void* Find(REFIID iid) override
    {
        if (iid == IID_IUnknown || iid == __uuidof(IInspectable)) return static_cast<IInspectable*>(this);
        return nullptr;
    }
    const wchar_t* ClassName() const override { return L"Windows.UI.Notifications.ToastActivatedEventArgs"; }
};

}  // namespace

ToastNotification::ToastNotification(XmlNode* document) : RtObject(sdk::RuntimeClass_ToastNotification)
{
    document_ = com_ptr<XmlNode>::copy(document);
}

std::vector<std::wstring> ToastNotification::Texts() const
{
    std::vector<std::wstring> texts;
    for (XmlNode* element : document_->ElementsNamed(L"text")) texts.push_back(element->InnerText());
    return texts;
}

std::wstring ToastNotification::Xml() const
{
    return document_->OuterXml();
}

void ToastNotification::Dispose()
{
    Registrations<sdk::IToastActivatedHandler> activated;
    Registrations<sdk::IToastDismissedHandler> dismissed;
    Registrations<sdk::IToastFailedHandler> failed;
    {
        std::lock_guard lock(lock_);
        activated.swap(activated_);
        dismissed.swap(dismissed_);
        failed.swap(failed_);
    }
    document_.reset();
}

template <typename Handler>
HRESULT ToastNotification::Add(Registrations<Handler>& list, Handler* handler, EventRegistrationToken* token)
{
    if (!handler || !token) return E_POINTER;
    std::lock_guard lock(lock_);
    token->value = nextToken_++;
    list.emplace_back(token->value, com_ptr<Handler>::copy(handler));
    return S_OK;
}

template <typename Handler>
HRESULT ToastNotification::Remove(Registrations<Handler>& list, EventRegistrationToken token)
{
    com_ptr<Handler> removed;  // released outside the lock
    std::lock_guard lock(lock_);
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->first == token.value) {
            removed = std::move(it->second);
            list.erase(it);
            break;
        }
    }
    return S_OK;
}

template <typename Handler>
std::vector<com_ptr<Handler>> ToastNotification::Snapshot(const Registrations<Handler>& list)
{
    std::lock_guard lock(lock_);
    std::vector<com_ptr<Handler>> handlers;
    for (const auto& entry : list) handlers.push_back(entry.second);
    return handlers;
}

namespace {

void RecordAnswer(const std::wstring& appId, HRESULT answer)
{
    wchar_t code[16];
    ::swprintf_s(code, L"0x%08lx", static_cast<unsigned long>(answer));
    AppendRecord(toast::kArea, toast::kRecords, L"handled\t" + appId + L"\t" + code);
}

}  // namespace

void ToastNotification::RaiseActivated(const std::wstring& appId)
{
    com_ptr<IInspectable> args = com_ptr<IInspectable>::attach(new (std::nothrow) ActivatedArgs());
    for (const auto& handler : Snapshot(activated_)) RecordAnswer(appId, handler->Invoke(this, args.get()));
}

void ToastNotification::RaiseDismissed(const std::wstring& appId, sdk::ToastDismissalReason reason)
{
    com_ptr<sdk::IToastDismissedEventArgs> args =
        com_ptr<sdk::IToastDismissedEventArgs>::attach(new (std::nothrow) DismissedArgs(reason));
    for (const auto& handler : Snapshot(dismissed_)) RecordAnswer(appId, handler->Invoke(this, args.get()));
}

HRESULT STDMETHODCALLTYPE ToastNotification::get_Content(sdk::IXmlDocument** value)
{
    if (!value) return E_POINTER;
    return document_->QueryInterface(__uuidof(sdk::IXmlDocument), reinterpret_cast<void**>(value));
}

HRESULT STDMETHODCALLTYPE ToastNotification::put_ExpirationTime(sdk::IDateTimeReference*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE ToastNotification::get_ExpirationTime(sdk::IDateTimeReference**) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE ToastNotification::add_Dismissed(sdk::IToastDismissedHandler* handler,
                                                           EventRegistrationToken* cookie)
{
    return Add(dismissed_, handler, cookie);
}
HRESULT STDMETHODCALLTYPE ToastNotification::remove_Dismissed(EventRegistrationToken cookie)
{
    return Remove(dismissed_, cookie);
}
HRESULT STDMETHODCALLTYPE ToastNotification::add_Activated(sdk::IToastActivatedHandler* handler,
                                                           EventRegistrationToken* cookie)
{
    return Add(activated_, handler, cookie);
}
HRESULT STDMETHODCALLTYPE ToastNotification::remove_Activated(EventRegistrationToken cookie)
{
    return Remove(activated_, cookie);
}
HRESULT STDMETHODCALLTYPE ToastNotification::add_Failed(sdk::IToastFailedHandler* handler, EventRegistrationToken* token)
{
    return Add(failed_, handler, token);
}
HRESULT STDMETHODCALLTYPE ToastNotification::remove_Failed(EventRegistrationToken token)
{
    return Remove(failed_, token);
}

void* ToastNotification::Find(REFIID iid)
{
    if (iid == IID_IUnknown || iid == __uuidof(IInspectable) || iid == __uuidof(sdk::IToastNotification))
        return static_cast<sdk::IToastNotification*>(this);
    return nullptr;
}

}  // namespace tapdeck::sim
