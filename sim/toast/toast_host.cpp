#include "toast_host.h"

#include <algorithm>

#include "sim_state.h"
#include "start_menu_ids.h"
#include "toast_channel.h"
#include "unique_handle.h"

namespace tapdeck::sim {
namespace {

std::wstring Joined(const std::vector<std::wstring>& texts)
{
    std::wstring line;
    for (const auto& text : texts) line += L"\t" + text;
    return line;
}

void Record(const std::wstring& line)
{
    AppendRecord(toast::kArea, toast::kRecords, line);
}

}  // namespace

ToastHost& ToastHost::Get()
{
    static ToastHost* host = new ToastHost();  // lives as long as the process
    return *host;
}

void ToastHost::Show(const std::wstring& appId, ToastNotification* notification)
{
    const std::wstring texts = Joined(notification->Texts());
    if (!StartMenuCarries(appId)) {
        {
            std::lock_guard lock(lock_);
            everShown_.push_back(notification);
        }
        Record(L"dropped\t" + appId + texts);
        return;
    }
    {
        std::lock_guard lock(lock_);
        shown_ = com_ptr<ToastNotification>::copy(notification);
        shownAppId_ = appId;
        everShown_.push_back(notification);
    }
    WriteStateFile(toast::kArea, toast::kShownState,
                   std::to_wstring(::GetCurrentProcessId()) + L"\t" + appId + texts);
    Record(L"shown\t" + appId + texts);
    Record(L"xml\t" + appId + L"\t" + notification->Xml());
    StartDriver();
}

bool ToastHost::Hide(const std::wstring& appId, ToastNotification* notification)
{
    com_ptr<ToastNotification> hidden;
    {
        std::lock_guard lock(lock_);
        if (std::find(everShown_.begin(), everShown_.end(), notification) == everShown_.end()) return false;
        if (shown_.get() == notification) hidden = std::move(shown_);
    }
    Record(L"hidden\t" + appId);
    if (hidden) {
        DeleteStateFile(toast::kArea, toast::kShownState);
        hidden->RaiseDismissed(appId, sdk::ToastDismissalReason_ApplicationHidden);
    }
    return true;
}

void ToastHost::StartDriver()
{
    std::lock_guard lock(lock_);
    if (driverStarted_) return;
    unique_handle thread(::CreateThread(nullptr, 0, DriverThread, this, 0, nullptr));
    driverStarted_ = static_cast<bool>(thread);
}

// Runs for the rest of the process: the module stays loaded once it showed a toast.
DWORD WINAPI ToastHost::DriverThread(void* self)
{
    auto* host = static_cast<ToastHost*>(self);
    const DWORD processId = ::GetCurrentProcessId();
    unique_event activate(::CreateEventW(nullptr, FALSE, FALSE, toast::EventFor(toast::kActivateEvent, processId).c_str()));
    unique_event dismiss(::CreateEventW(nullptr, FALSE, FALSE, toast::EventFor(toast::kDismissEvent, processId).c_str()));
    if (!activate || !dismiss) return 1;
    const HANDLE events[] = {activate.get(), dismiss.get()};
    for (;;) {
        const DWORD which = ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (which == WAIT_OBJECT_0) host->OnUserAction(true);
        else if (which == WAIT_OBJECT_0 + 1) host->OnUserAction(false);
        else return 1;
    }
}

void ToastHost::OnUserAction(bool activate)
{
    com_ptr<ToastNotification> target;
    std::wstring appId;
    {
        std::lock_guard lock(lock_);
        target = shown_;
        appId = shownAppId_;
        // A click or a dismissal takes the toast off the screen.
        shown_.reset();
    }
    if (unique_event delivered{::OpenEventW(EVENT_MODIFY_STATE, FALSE, toast::kDeliveredEvent)})
        ::SetEvent(delivered.get());
    if (!target) return;
    DeleteStateFile(toast::kArea, toast::kShownState);
    Record((activate ? L"activated\t" : L"dismissed\t") + appId);
    if (activate) target->RaiseActivated(appId);
    else target->RaiseDismissed(appId, sdk::ToastDismissalReason_UserCanceled);
}

}  // namespace tapdeck::sim
