#pragma once
// One tag write at the proximity device: the message published as
// "NDEF:WriteTag" (which the platform gives only to a writable static tag),
// a "WriteableTag" subscription that hears each writable tag's capacity, and
// the tag's arrival and departure. Every event is posted to the dialog's
// window; nothing here runs on the platform's threads but the posting.
#include <windows.h>
#include <string>

#include "com_ptr.h"
#include "proximity.h"

namespace tapdeck {

// Posted to the window given to the session.
constexpr UINT WM_TAG_ARRIVED = WM_APP + 110;
constexpr UINT WM_TAG_DEPARTED = WM_APP + 111;
constexpr UINT WM_TAG_CAPACITY = WM_APP + 112;  // wParam: the writable tag's size in bytes
constexpr UINT WM_TAG_WRITTEN = WM_APP + 113;   // lParam: low 32 bits of the written message's id

struct WriteTagHandlers;

class CWriteTagSession {
public:
    CWriteTagSession() = default;
    ~CWriteTagSession();
    CWriteTagSession(const CWriteTagSession&) = delete;
    CWriteTagSession& operator=(const CWriteTagSession&) = delete;

    // The window the events go to; set before the first Begin.
    void NotifyTo(HWND window) noexcept { notify_ = window; }

    enum class Begun { Waiting, NoReader, Refused };
    // Publishes the message and listens; the previous write is stopped first.
    Begun Begin(const std::string& message);
    // Withdraws the publication and the subscription and stops listening.
    void Stop();
    bool Active() const noexcept { return publicationId_ != -1; }
    // Whether a transmitted event with this id (low 32 bits) is ours.
    bool IsOurs(LPARAM id) const noexcept { return Active() && static_cast<LONG>(publicationId_) == static_cast<LONG>(id); }
    // Whether the platform still finds a proximity device.
    bool ReaderPresent();

private:
    bool OpenDevice();

    HWND notify_ = nullptr;
    com_ptr<sdk::IProximityDeviceStatics> statics_;
    com_ptr<sdk::IProximityDevice> device_;
    WriteTagHandlers* handlers_ = nullptr;
    EventRegistrationToken arrivedToken_{};
    EventRegistrationToken departedToken_{};
    bool listening_ = false;
    INT64 subscriptionId_ = -1;
    INT64 publicationId_ = -1;
};

}  // namespace tapdeck
