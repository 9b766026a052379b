#pragma once
// A toast notification: its document and the handlers registered on it.
#include <windows.h>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "com_ptr.h"
#include "rt_object.h"
#include "toast.h"
#include "xml_node.h"

namespace tapdeck::sim {

class ToastNotification final : public RtObject<sdk::IToastNotification> {
public:
    explicit ToastNotification(XmlNode* document);

    // The texts of the document's "text" elements, in order.
    std::vector<std::wstring> Texts() const;
    std::wstring Xml() const;

    // Each handler's answer is recorded (as "handled\t<app id>\t<HRESULT>")
    // before the host lets go of its reference to the handler, as the
    // platform reports a handler's answer after the call.
    void RaiseActivated(const std::wstring& appId);
    void RaiseDismissed(const std::wstring& appId, sdk::ToastDismissalReason reason);

    HRESULT STDMETHODCALLTYPE get_Content(sdk::IXmlDocument** value) override;
    HRESULT STDMETHODCALLTYPE put_ExpirationTime(sdk::IDateTimeReference* value) override;
    HRESULT STDMETHODCALLTYPE get_ExpirationTime(sdk::IDateTimeReference** value) override;
    HRESULT STDMETHODCALLTYPE add_Dismissed(sdk::IToastDismissedHandler* handler, EventRegistrationToken* cookie) override;
    HRESULT STDMETHODCALLTYPE remove_Dismissed(EventRegistrationToken cookie) override;
    HRESULT STDMETHODCALLTYPE add_Activated(sdk::IToastActivatedHandler* handler, EventRegistrationToken* cookie) override;
    HRESULT STDMETHODCALLTYPE remove_Activated(EventRegistrationToken cookie) override;
    HRESULT STDMETHODCALLTYPE add_Failed(sdk::IToastFailedHandler* handler, EventRegistrationToken* token) override;
    HRESULT STDMETHODCALLTYPE remove_Failed(EventRegistrationToken token) override;

protected:
    void* Find(REFIID iid) override;
    void Dispose() override;
    const wchar_t* ClassName() const override { return sdk::RuntimeClass_ToastNotification; }

private:
    template <typename Handler>
    using Registrations = std::vector<std::pair<INT64, com_ptr<Handler>>>;

    template <typename Handler>
    HRESULT Add(Registrations<Handler>& list, Handler* handler, EventRegistrationToken* token);
    template <typename Handler>
    HRESULT Remove(Registrations<Handler>& list, EventRegistrationToken token);
    template <typename Handler>
    std::vector<com_ptr<Handler>> Snapshot(const Registrations<Handler>& list);

    com_ptr<XmlNode> document_;
    std::mutex lock_;
    INT64 nextToken_ = 1;                                        // guarded by lock_
    Registrations<sdk::IToastActivatedHandler> activated_;       // guarded by lock_
    Registrations<sdk::IToastDismissedHandler> dismissed_;       // guarded by lock_
    Registrations<sdk::IToastFailedHandler> failed_;             // guarded by lock_
};

}  // namespace tapdeck::sim
