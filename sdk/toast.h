#pragma once
// Windows.UI.Notifications toasts, declared at the ABI: mingw-w64 10 has no
// header for them. Slot order is the vtable order; never add a virtual
// destructor here.
#include <windows.h>
#include <eventtoken.h>
#include <inspectable.h>
#include <winstring.h>

#include "xml_dom.h"

namespace sdk {

enum ToastTemplateType : INT32 {
    ToastTemplateType_ToastImageAndText01 = 0,
    ToastTemplateType_ToastImageAndText02 = 1,
    ToastTemplateType_ToastImageAndText03 = 2,
    ToastTemplateType_ToastImageAndText04 = 3,
    ToastTemplateType_ToastText01 = 4,
    ToastTemplateType_ToastText02 = 5,
    ToastTemplateType_ToastText03 = 6,
    ToastTemplateType_ToastText04 = 7,
};

enum ToastDismissalReason : INT32 {
    ToastDismissalReason_UserCanceled = 0,
    ToastDismissalReason_ApplicationHidden = 1,
    ToastDismissalReason_TimedOut = 2,
};

enum NotificationSetting : INT32 {
    NotificationSetting_Enabled = 0,
};

struct IToastNotification;
struct IToastNotifier;
struct IScheduledToastNotification;
struct IScheduledToastNotificationVectorView;
struct IDateTimeReference;

struct IToastDismissedEventArgs : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Reason(ToastDismissalReason* value) = 0;
};

struct IToastFailedEventArgs : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_ErrorCode(HRESULT* value) = 0;
};

// TypedEventHandler<ToastNotification, Object>
struct IToastActivatedHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(IToastNotification* sender, IInspectable* args) = 0;
};
// TypedEventHandler<ToastNotification, ToastDismissedEventArgs>
struct IToastDismissedHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(IToastNotification* sender, IToastDismissedEventArgs* args) = 0;
};
// TypedEventHandler<ToastNotification, ToastFailedEventArgs>
struct IToastFailedHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(IToastNotification* sender, IToastFailedEventArgs* args) = 0;
};

struct IToastNotification : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Content(IXmlDocument** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ExpirationTime(IDateTimeReference* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ExpirationTime(IDateTimeReference** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_Dismissed(IToastDismissedHandler* handler, EventRegistrationToken* cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_Dismissed(EventRegistrationToken cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_Activated(IToastActivatedHandler* handler, EventRegistrationToken* cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_Activated(EventRegistrationToken cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_Failed(IToastFailedHandler* handler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_Failed(EventRegistrationToken token) = 0;
};

struct IToastNotifier : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE Show(IToastNotification* notification) = 0;
    virtual HRESULT STDMETHODCALLTYPE Hide(IToastNotification* notification) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Setting(NotificationSetting* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddToSchedule(IScheduledToastNotification* scheduledToast) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveFromSchedule(IScheduledToastNotification* scheduledToast) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetScheduledToastNotifications(
        IScheduledToastNotificationVectorView** scheduledToasts) = 0;
};

struct IToastNotificationFactory : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE CreateToastNotification(IXmlDocument* content,
                                                              IToastNotification** notification) = 0;
};

struct IToastNotificationManagerStatics : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE CreateToastNotifier(IToastNotifier** notifier) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateToastNotifierWithId(HSTRING applicationId, IToastNotifier** notifier) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTemplateContent(ToastTemplateType type, IXmlDocument** content) = 0;
};

inline constexpr wchar_t RuntimeClass_ToastNotificationManager[] = L"Windows.UI.Notifications.ToastNotificationManager";
inline constexpr wchar_t RuntimeClass_ToastNotification[] = L"Windows.UI.Notifications.ToastNotification";

}  // namespace sdk

__CRT_UUID_DECL(sdk::IToastNotificationManagerStatics, 0x50ac103f, 0xd235, 0x4598, 0xbb, 0xef, 0x98, 0xfe, 0x4d, 0x1a, 0x3a, 0xd4)
__CRT_UUID_DECL(sdk::IToastNotifier, 0x75927b93, 0x03f3, 0x41ec, 0x91, 0xd3, 0x6e, 0x5b, 0xac, 0x1b, 0x38, 0xe7)
__CRT_UUID_DECL(sdk::IToastNotificationFactory, 0x04124b20, 0x82c6, 0x4229, 0xb1, 0x09, 0xfd, 0x9e, 0xd4, 0x66, 0x2b, 0x53)
__CRT_UUID_DECL(sdk::IToastNotification, 0x997e2675, 0x059e, 0x4e60, 0x8b, 0x06, 0x17, 0x60, 0x91, 0x7c, 0x8b, 0x80)
__CRT_UUID_DECL(sdk::IToastDismissedEventArgs, 0x3f89d935, 0xd9cb, 0x4538, 0xa0, 0xf0, 0xff, 0xe7, 0x65, 0x99, 0x38, 0xf8)
__CRT_UUID_DECL(sdk::IToastFailedEventArgs, 0x35176862, 0xcfd4, 0x44f8, 0xad, 0x64, 0xf5, 0x00, 0xfd, 0x89, 0x6c, 0x3b)
__CRT_UUID_DECL(sdk::IToastActivatedHandler, 0xab54de2d, 0x97d9, 0x5528, 0xb6, 0xad, 0x10, 0x5a, 0xfe, 0x15, 0x65, 0x30)
__CRT_UUID_DECL(sdk::IToastDismissedHandler, 0x61c2402f, 0x0ed0, 0x5a18, 0xab, 0x69, 0x59, 0xf4, 0xaa, 0x99, 0xa3, 0x68)
__CRT_UUID_DECL(sdk::IToastFailedHandler, 0x95e3e803, 0xc969, 0x5e3a, 0x97, 0x53, 0xea, 0x2a, 0xd2, 0x2a, 0x9a, 0x33)
