#include "toast_presenter.h"

#include <roapi.h>
#include <mutex>
#include <new>

#include "product_names.h"
#include "res_string.h"
#include "strings/pairwell_strings.h"
#include "unique_hstring.h"

namespace tapdeck::pairwell {
namespace {

constexpr UINT kConnectingText = 534;

// How many text elements each template fills.
UINT32 TemplateTextCount(sdk::ToastTemplateType type)
{
    switch (type) {
    case sdk::ToastTemplateType_ToastImageAndText01:
    case sdk::ToastTemplateType_ToastText01: return 1;
    case sdk::ToastTemplateType_ToastImageAndText04:
    case sdk::ToastTemplateType_ToastText04: return 3;
    default: return 2;
    }
}

template <typename T>
HRESULT GetFactory(const wchar_t* runtimeClass, com_ptr<T>& factory)
{
    hstring_ref name(runtimeClass);
    return ::RoGetActivationFactory(name.get(), __uuidof(T), factory.put_void());
}

HRESULT CreateNotifier(const std::wstring& appUserModelId, com_ptr<sdk::IToastNotifier>& notifier)
{
    com_ptr<sdk::IToastNotificationManagerStatics> manager;
    HRESULT hr = GetFactory(sdk::RuntimeClass_ToastNotificationManager, manager);
    if (FAILED(hr)) return hr;
    hstring_ref id(appUserModelId);
    return manager->CreateToastNotifierWithId(id.get(), notifier.put());
}

HRESULT AppendText(sdk::IXmlDocument* document, sdk::IXmlNodeList* elements, UINT32 index, const std::wstring& text)
{
    hstring_ref data(text);
    com_ptr<sdk::IXmlText> textNode;
    HRESULT hr = document->CreateTextNode(data.get(), textNode.put());
    if (FAILED(hr)) return hr;
    com_ptr<sdk::IXmlNode> textAsNode;
    hr = textNode.as(__uuidof(sdk::IXmlNode), textAsNode);
    if (FAILED(hr)) return hr;
    com_ptr<sdk::IXmlNode> element;
    hr = elements->Item(index, element.put());
    if (FAILED(hr)) return hr;
    if (!element) return E_INVALIDARG;
    com_ptr<sdk::IXmlNode> appended;
    return element->AppendChild(textAsNode.get(), appended.put());
}

}  // namespace

com_ptr<ToastEventHandler> ToastEventHandler::Make(ToastPresenter& owner)
{
    return com_ptr<ToastEventHandler>::attach(new (std::nothrow) ToastEventHandler(owner));
}

HRESULT STDMETHODCALLTYPE ToastEventHandler::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == __uuidof(sdk::IToastActivatedHandler) || iid == __uuidof(IAgileObject))
        *object = static_cast<sdk::IToastActivatedHandler*>(this);
    else if (iid == __uuidof(sdk::IToastDismissedHandler))
        *object = static_cast<sdk::IToastDismissedHandler*>(this);
    else if (iid == __uuidof(sdk::IToastFailedHandler))
        *object = static_cast<sdk::IToastFailedHandler*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE ToastEventHandler::AddRef()
{
    return ++refs_;
}

ULONG STDMETHODCALLTYPE ToastEventHandler::Release()
{
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

void ToastEventHandler::Detach() noexcept
{
    std::unique_lock detach(ownerLock_);
    owner_ = nullptr;
}

HRESULT STDMETHODCALLTYPE ToastEventHandler::Invoke(sdk::IToastNotification*, IInspectable*)
{
    std::shared_lock running(ownerLock_);
    if (owner_) owner_->OnActivated();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ToastEventHandler::Invoke(sdk::IToastNotification*, sdk::IToastDismissedEventArgs* args)
{
    if (!args) return E_FAIL;
    sdk::ToastDismissalReason reason = sdk::ToastDismissalReason_UserCanceled;
    args->get_Reason(&reason);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ToastEventHandler::Invoke(sdk::IToastNotification*, sdk::IToastFailedEventArgs*)
{
    return S_OK;
}

ToastPresenter::ToastPresenter(std::function<void()> onActivated)
    : handler_(ToastEventHandler::Make(*this)), onActivated_(std::move(onActivated))
{
}

ToastPresenter::~ToastPresenter()
{
    // A toast still shown must not call into a presenter that is gone.
    if (notification_) {
        notification_->remove_Activated(activatedToken_);
        notification_->remove_Dismissed(dismissedToken_);
        notification_->remove_Failed(failedToken_);
    }
    // The platform may still hold the handler: it outlives the presenter.
    if (handler_) handler_->Detach();
}

void ToastPresenter::OnActivated()
{
    if (onActivated_) onActivated_();
}

HRESULT ToastPresenter::Show()
{
    com_ptr<sdk::IToastNotificationManagerStatics> manager;
    HRESULT hr = GetFactory(sdk::RuntimeClass_ToastNotificationManager, manager);
    if (FAILED(hr)) return hr;
    com_ptr<sdk::IXmlDocument> document;
    hr = manager->GetTemplateContent(templateType, document.put());
    if (FAILED(hr)) return hr;
    if (!document) return E_POINTER;

    hstring_ref textTag(L"text");
    com_ptr<sdk::IXmlNodeList> elements;
    hr = document->GetElementsByTagName(textTag.get(), elements.put());
    if (FAILED(hr)) return hr;
    if (!elements) return E_POINTER;
    UINT32 available = 0;
    hr = elements->get_Length(&available);
    if (FAILED(hr)) return hr;
    const UINT32 needed = TemplateTextCount(templateType);
    if (available < needed) return E_INVALIDARG;
    const std::wstring* texts[] = {&text1, &text2, &text3};
    for (UINT32 i = 0; i < needed; ++i) {
        hr = AppendText(document.get(), elements.get(), i, *texts[i]);
        if (FAILED(hr)) return hr;
    }

    hstring_ref id(appUserModelId);
    com_ptr<sdk::IToastNotifier> notifier;
    hr = manager->CreateToastNotifierWithId(id.get(), notifier.put());
    if (FAILED(hr)) return hr;
    com_ptr<sdk::IToastNotificationFactory> factory;
    hr = GetFactory(sdk::RuntimeClass_ToastNotification, factory);
    if (FAILED(hr)) return hr;
    com_ptr<sdk::IToastNotification> created;
    hr = factory->CreateToastNotification(document.get(), created.put());
    if (FAILED(hr)) return hr;
    if (!created) return E_POINTER;

    if (!handler_) return E_OUTOFMEMORY;
    hr = created->add_Activated(handler_.get(), &activatedToken_);
    if (SUCCEEDED(hr)) hr = created->add_Dismissed(handler_.get(), &dismissedToken_);
    if (SUCCEEDED(hr)) hr = created->add_Failed(handler_.get(), &failedToken_);
    if (FAILED(hr)) return hr;

    hr = notifier->Show(created.get());
    if (FAILED(hr)) return hr;
    notification_ = std::move(created);
    return S_OK;
}

bool ToastPresenter::HideToast()
{
    com_ptr<sdk::IToastNotifier> notifier;
    if (FAILED(CreateNotifier(appUserModelId, notifier))) return false;
    if (!notification_) return false;
    notification_->remove_Activated(activatedToken_);
    notification_->remove_Dismissed(dismissedToken_);
    notification_->remove_Failed(failedToken_);
    if (FAILED(notifier->Hide(notification_.get()))) return false;
    notification_.reset();
    return true;
}

void ShowConnectingToast(std::unique_ptr<ToastPresenter>& toast, std::function<void()> launchCompanion)
{
    std::wstring text;
    if (!LoadResString(text, kConnectingText) || text.empty()) return;
    if (!toast) toast = std::make_unique<ToastPresenter>(std::move(launchCompanion));
    toast->templateType = sdk::ToastTemplateType_ToastText01;
    toast->text1 = text;
    toast->text2.clear();
    toast->text3.clear();
    toast->appUserModelId = kAppUserModelId;
    toast->Show();
}

}  // namespace tapdeck::pairwell

namespace tapdeck::pairwell {
namespace {

void ShowTagToast(std::unique_ptr<ToastPresenter>& toast, UINT textId, const std::wstring& network)
{
    std::wstring text;
    if (!LoadResString(text, textId) || text.empty()) return;
    if (!toast) toast = std::make_unique<ToastPresenter>(nullptr);
    toast->templateType = sdk::ToastTemplateType_ToastText01;
    toast->text1 = InsertValue(std::move(text), network);
    toast->text2.clear();
    toast->text3.clear();
    toast->appUserModelId = kAppUserModelId;
    toast->Show();
}

}  // namespace

std::wstring InsertValue(std::wstring text, const std::wstring& value)
{
    const size_t at = text.find(L"%1");
    if (at != std::wstring::npos) text.replace(at, 2, value);
    return text;
}

void ShowTagConnectingToast(std::unique_ptr<ToastPresenter>& toast, const std::wstring& network)
{
    ShowTagToast(toast, IDS_TAG_CONNECTING_TOAST, network);
}

void ShowTagConnectedToast(std::unique_ptr<ToastPresenter>& toast, const std::wstring& network)
{
    ShowTagToast(toast, IDS_TAG_CONNECTED_TOAST, network);
}

}  // namespace tapdeck::pairwell
