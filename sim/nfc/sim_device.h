#pragma once
// The stand-in proximity device: one per process, created when a program
// asks for the default device while the radio is "present". It records what
// the program subscribes and publishes, and raises the program's handlers
// on its own threads when simctl or a test touches, departs or reads.
// Static tags follow the "NDEF protocol" and "WriteableTag protocol" pages
// of the Windows driver docs: "NDEF:WriteTag" publications reach only a
// writable tag ("MUST NOT transmit *:WriteTag publications when connected
// to an NFC Forum Device"), the newest that fits is the one written, a
// written tag is not read for other subscriptions, and "WriteableTag"
// receives the tag's capacity (sim/README.md lists what is not modelled).
// Message types Windows does not take are refused with E_INVALIDARG, after
// the PublishBinaryMessage reference (message_type_rules.h).
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "com_ptr.h"
#include "proximity.h"
#include "rt_object.h"
#include "unique_handle.h"

namespace tapdeck::sim {

class CSimDevice final : public RtSingleton<sdk::IProximityDevice> {
public:
    // The process's device, started on first use; null when it cannot be.
    // It lives as long as the process; its count is of the others' references.
    static CSimDevice* Instance();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;

    HRESULT STDMETHODCALLTYPE SubscribeForMessage(HSTRING messageType, sdk::IMessageReceivedHandler* handler,
                                                  INT64* subscriptionId) override;
    HRESULT STDMETHODCALLTYPE PublishMessage(HSTRING messageType, HSTRING message, INT64* messageId) override;
    HRESULT STDMETHODCALLTYPE PublishMessageWithCallback(HSTRING messageType, HSTRING message,
                                                         sdk::IMessageTransmittedHandler* handler,
                                                         INT64* messageId) override;
    HRESULT STDMETHODCALLTYPE PublishBinaryMessage(HSTRING messageType, sdk::IBuffer* message,
                                                   INT64* messageId) override;
    HRESULT STDMETHODCALLTYPE PublishBinaryMessageWithCallback(HSTRING messageType, sdk::IBuffer* message,
                                                               sdk::IMessageTransmittedHandler* handler,
                                                               INT64* messageId) override;
    HRESULT STDMETHODCALLTYPE PublishUriMessage(sdk::IUriRuntimeClass* message, INT64* messageId) override;
    HRESULT STDMETHODCALLTYPE PublishUriMessageWithCallback(sdk::IUriRuntimeClass* message,
                                                            sdk::IMessageTransmittedHandler* handler,
                                                            INT64* messageId) override;
    HRESULT STDMETHODCALLTYPE StopSubscribingForMessage(INT64 subscriptionId) override;
    HRESULT STDMETHODCALLTYPE StopPublishingMessage(INT64 messageId) override;
    HRESULT STDMETHODCALLTYPE add_DeviceArrived(sdk::IDeviceArrivedEventHandler* handler,
                                                EventRegistrationToken* cookie) override;
    HRESULT STDMETHODCALLTYPE remove_DeviceArrived(EventRegistrationToken cookie) override;
    HRESULT STDMETHODCALLTYPE add_DeviceDeparted(sdk::IDeviceDepartedEventHandler* handler,
                                                 EventRegistrationToken* cookie) override;
    HRESULT STDMETHODCALLTYPE remove_DeviceDeparted(EventRegistrationToken cookie) override;
    HRESULT STDMETHODCALLTYPE get_MaxMessageBytes(UINT32* value) override;
    HRESULT STDMETHODCALLTYPE get_BitsPerSecond(UINT64* value) override;
    HRESULT STDMETHODCALLTYPE get_DeviceId(HSTRING* value) override;

    // What a request from outside does; the number of handlers called.
    // Touch brings a tag's NDEF message near, routed as the radio routes it
    // (ndef_routing.h), and also gives the performance counter read just
    // before the first handler was called (0 when none was).
    long Touch(const std::vector<BYTE>& bytes, LARGE_INTEGER* delivered = nullptr);
    // A static tag comes near (kNfcTagFile tells which): a writable one is
    // written by the newest "NDEF:WriteTag" publication that fits, else what
    // it holds is read as a touch.
    long PlaceTag();
    long Arrive();
    long Depart();
    // A peer reads every message published, or only the one with that id.
    long Transmit(INT64 only = -1);

private:
    const wchar_t* ClassName() const override { return L"Windows.Networking.Proximity.ProximityDevice"; }
    CSimDevice() : RtSingleton(L"Windows.Networking.Proximity.ProximityDevice") {}
    bool StartListener();
    static HANDLE CreateListeningPipe(DWORD pid);
    static DWORD WINAPI ListenThread(void* param);
    static DWORD WINAPI ServeThread(void* param);
    std::string Serve(const std::string& request);
    // Calls every subscription whose type route accepts, with what route gives.
    long Deliver(const std::function<bool(const std::wstring&, std::vector<BYTE>&)>& route, LARGE_INTEGER* delivered);
    HRESULT Publish(HSTRING messageType, std::vector<BYTE> bytes, sdk::IMessageTransmittedHandler* handler,
                    INT64* messageId);
    // Writes the newest fitting tag publication to a writable tag on the
    // reader; true when one was written and its transmitted event raised.
    bool WriteTag(size_t capacity);
    static DWORD WINAPI WriteThread(void* param);

    struct Subscription {
        std::wstring type;
        com_ptr<sdk::IMessageReceivedHandler> handler;
    };
    struct Publication {
        std::wstring type;
        com_ptr<sdk::IMessageTransmittedHandler> handler;  // may be null
        std::vector<BYTE> bytes;
    };

    HANDLE listening_ = INVALID_HANDLE_VALUE;  // the first pipe, until the listener takes it
    std::mutex lock_;  // guards everything below; never held while a handler runs
    INT64 nextId_ = 1;
    std::map<INT64, Subscription> subscriptions_;
    std::map<INT64, Publication> publications_;
    std::map<INT64, com_ptr<sdk::IDeviceArrivedEventHandler>> arrived_;
    std::map<INT64, com_ptr<sdk::IDeviceDepartedEventHandler>> departed_;
};

}  // namespace tapdeck::sim
