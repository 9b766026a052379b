#pragma once
// The agent's connection to the PC's proximity (NFC) radio: the device, the
// subscriptions of every registered message type, the watch on their
// registry key, and the one message the agent may publish.
#include <windows.h>
#include <memory>
#include <mutex>
#include <string>

#include "com_ptr.h"
#include "hex_codec.h"
#include "nfc_device_context.h"
#include "nfc_registration.h"
#include "proximity.h"
#include "registry_watch.h"
#include "rsp_controller.h"

namespace tapdeck {

class UsageUser;

class CNFCManager {
public:
    explicit CNFCManager(UsageUser& usage) noexcept : usage_(usage) {}
    CNFCManager(const CNFCManager&) = delete;
    CNFCManager& operator=(const CNFCManager&) = delete;
    ~CNFCManager();

    // True when the default device was obtained and its events registered.
    bool OpenDevice();
    // True when at least one registered message type was subscribed.
    bool SubscribeAll();
    // Stops the watch, waits out running callbacks, ends every recorded
    // subscription and the published message.
    void Close();

    bool SubscribeType(const NFCRegistration& registration, INT64& subscriptionId);
    void AddRecord(const std::wstring& messageType, CBaseRspController* controller,
                   const std::wstring& applicationPath, INT64 subscriptionId);
    bool FindApplicationPath(const std::wstring& messageType, std::wstring& applicationPath);
    bool LoadRegistrations(NFCRegistrationList& registrations);
    bool StartRegistryWatch();
    static void OnRegistryChanged(void* context);

    // True when the platform accepted the message for publication.
    bool PublishHex(const std::wstring& messageType, const std::wstring& hexData);

    // For the handlers, on the platform's threads, inside their gate.
    HRESULT AnswerMessage(const std::wstring& messageType, const std::wstring& data);
    // A departure withdraws the published message; a transmission only
    // when it is the message transmitted (-1: any).
    void WithdrawPublishedMessage(INT64 transmittedId = -1);
    UsageUser& Usage() noexcept { return usage_; }
    HexCodec& Hex() noexcept { return hex_; }

    // For tests: what the manager holds, which the radio's records do not
    // show (a record or registration the radio was never asked for).
    INT64 PublishedMessageId();
    size_t RecordCount();
    size_t RegistrationCount();

private:
    com_ptr<sdk::IProximityDevice> Device();
    sdk::IMessageReceivedHandler* HandlerFor(const std::wstring& messageType);
    void AddNewRegistration(NFCRegistrationList& fresh);
    void RemoveDroppedRegistration(NFCRegistrationList& fresh);
    static void ReleaseContext(std::unique_ptr<CNFCDeviceContext>& context);

    UsageUser& usage_;

    // Guards records, registrations, publishedMessageId, controller and the
    // device pointer. Never held while calling the platform or starting a
    // program.
    std::mutex lock_;
    std::unique_ptr<CNFCDeviceContext> deviceContext_;  // set and freed on the window thread only
    // A block whose handlers the platform still held at Close (a duplicate
    // subscription that no record stops); its closed gate turns late calls
    // away, so it is never freed while they can come.
    std::unique_ptr<CNFCDeviceContext> retiredContext_;
    bool deviceAvailable_ = false;                   // guarded by lock_
    std::unique_ptr<CBaseRspController> controller_;  // guarded by lock_
    NFCRegistrationList registrations_;              // guarded by lock_
    SubscriptionTable records_;                      // guarded by lock_
    INT64 publishedMessageId_ = -1;                  // guarded by lock_
    RegistryWatch watch_;
    HexCodec hex_;
};

}  // namespace tapdeck
