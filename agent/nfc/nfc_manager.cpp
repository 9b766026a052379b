#include "nfc_manager.h"

#include <new>
#include <utility>
#include <vector>

#include "compare_no_case.h"
#include "nfc_message_type.h"
#include "nfc_registry.h"
#include "unique_hstring.h"
#include "usage_stats.h"

namespace tapdeck {

CNFCManager::~CNFCManager()
{
    watch_.Stop();
    if (deviceContext_) deviceContext_->gate.Close();
    ReleaseContext(deviceContext_);
    ReleaseContext(retiredContext_);
}

void CNFCManager::ReleaseContext(std::unique_ptr<CNFCDeviceContext>& context)
{
    if (!context) return;
    if (context->HandlersReleased()) {
        context.reset();
        return;
    }
    // The platform may still call a handler in it: left allocated on purpose,
    // behind its closed gate, rather than freed under the caller.
    (void)context.release();
}

com_ptr<sdk::IProximityDevice> CNFCManager::Device()
{
    std::lock_guard lock(lock_);
    if (!deviceContext_) return nullptr;
    return deviceContext_->device;
}

bool CNFCManager::OpenDevice()
{
    if (!deviceContext_) {
        deviceContext_.reset(new (std::nothrow) CNFCDeviceContext(*this));
        if (!deviceContext_) return false;
    }
    const bool available = deviceContext_->GetDefaultDevice(lock_);
    {
        std::lock_guard lock(lock_);
        deviceAvailable_ = available;
    }
    if (!available) return false;

    auto device = Device();
    device->add_DeviceArrived(&deviceContext_->arrived, &deviceContext_->arrivedToken);
    device->add_DeviceDeparted(&deviceContext_->departed, &deviceContext_->departedToken);
    return true;
}

sdk::IMessageReceivedHandler* CNFCManager::HandlerFor(const std::wstring& messageType)
{
    if (UsesStringForm(messageType)) return &deviceContext_->received;
    return &deviceContext_->receivedEx;
}

bool CNFCManager::LoadRegistrations(NFCRegistrationList& registrations)
{
    return ReadRegistrations(registrations);
}

bool CNFCManager::SubscribeAll()
{
    NFCRegistrationList loaded;
    LoadRegistrations(loaded);
    {
        std::lock_guard lock(lock_);
        registrations_ = loaded;
        if (loaded.empty()) return false;
        if (!controller_) {
            controller_.reset(new (std::nothrow) CRspController(*this));
            if (!controller_) return false;
        }
    }

    bool subscribed = false;
    for (const auto& registration : loaded) {
        if (registration.messageType.empty() || registration.applicationPath.empty()) continue;
        INT64 id = -1;
        if (!SubscribeType(registration, id)) continue;
        CBaseRspController* controller = nullptr;
        {
            std::lock_guard lock(lock_);
            controller = controller_.get();
        }
        AddRecord(registration.messageType, controller, registration.applicationPath, id);
        subscribed = true;
    }
    if (subscribed) StartRegistryWatch();
    return subscribed;
}

bool CNFCManager::SubscribeType(const NFCRegistration& registration, INT64& subscriptionId)
{
    if (registration.messageType.empty() || !deviceContext_) return false;
    com_ptr<sdk::IProximityDevice> device;
    {
        std::lock_guard lock(lock_);
        if (!deviceAvailable_) return false;
        device = deviceContext_->device;
    }
    subscriptionId = -1;
    if (!device) return false;
    hstring_ref type(registration.messageType);
    return SUCCEEDED(device->SubscribeForMessage(type.get(), HandlerFor(registration.messageType), &subscriptionId));
}

void CNFCManager::AddRecord(const std::wstring& messageType, CBaseRspController* controller,
                            const std::wstring& applicationPath, INT64 subscriptionId)
{
    if (messageType.empty() || !controller || applicationPath.empty() || subscriptionId == -1) return;
    std::lock_guard lock(lock_);
    records_.try_emplace(messageType, SubscriptionRecord{controller, applicationPath, subscriptionId});
}

bool CNFCManager::FindApplicationPath(const std::wstring& messageType, std::wstring& applicationPath)
{
    applicationPath.clear();
    if (messageType.empty()) return false;
    std::lock_guard lock(lock_);
    auto found = records_.find(messageType);
    if (found == records_.end()) return false;
    applicationPath = found->second.applicationPath;
    return !applicationPath.empty();
}

HRESULT CNFCManager::AnswerMessage(const std::wstring& messageType, const std::wstring& data)
{
    if (messageType.empty() || data.empty()) return S_OK;
    CBaseRspController* controller = nullptr;
    {
        std::lock_guard lock(lock_);
        auto found = records_.find(messageType);
        if (found == records_.end()) return S_OK;
        controller = found->second.controller;
    }
    if (!controller) return S_OK;
    // The controller outlives this call: Close deletes it only after every
    // running callback has left.
    controller->Respond(messageType, data);
    usage_.SubmitEventIfUp({L"NFCFunction", L"Receive", messageType.c_str(), L"Count"});
    return S_OK;
}

void CNFCManager::WithdrawPublishedMessage(INT64 transmittedId)
{
    INT64 id = -1;
    com_ptr<sdk::IProximityDevice> device;
    {
        std::lock_guard lock(lock_);
        id = publishedMessageId_;
        if (id == -1 || !deviceContext_) return;
        // A peer that read an earlier message, whose id a later publication
        // replaced, has not read the one we hold: that one stays published.
        if (transmittedId != -1 && transmittedId != id) return;
        device = deviceContext_->device;
    }
    if (!device) return;
    if (FAILED(device->StopPublishingMessage(id))) return;
    std::lock_guard lock(lock_);
    // A newer publication made meanwhile keeps its id.
    if (publishedMessageId_ == id) publishedMessageId_ = -1;
}

bool CNFCManager::PublishHex(const std::wstring& messageType, const std::wstring& hexData)
{
    if (messageType.empty() || hexData.empty()) return false;
    hstring_ref type(messageType);
    hstring_ref data(hexData);
    if (!deviceContext_) return false;
    com_ptr<sdk::IProximityDevice> device;
    {
        std::lock_guard lock(lock_);
        publishedMessageId_ = -1;
        device = deviceContext_->device;
    }
    if (!device) return false;

    com_ptr<sdk::IBuffer> buffer;
    if (!hex_.Decode(data.get(), buffer)) return false;
    INT64 id = -1;
    const HRESULT hr =
        device->PublishBinaryMessageWithCallback(type.get(), buffer.get(), &deviceContext_->transmitted, &id);
    if (FAILED(hr)) return false;
    std::lock_guard lock(lock_);
    publishedMessageId_ = id;
    return true;
}

bool CNFCManager::StartRegistryWatch() { return watch_.Start(&CNFCManager::OnRegistryChanged, this); }

void CNFCManager::OnRegistryChanged(void* context)
{
    if (!context) return;
    auto* self = static_cast<CNFCManager*>(context);
    NFCRegistrationList fresh;
    if (!self->LoadRegistrations(fresh)) return;
    size_t current = 0;
    {
        std::lock_guard lock(self->lock_);
        current = self->registrations_.size();
    }
    if (fresh.size() > current) {
        self->AddNewRegistration(fresh);
    } else if (fresh.size() < current) {
        self->RemoveDroppedRegistration(fresh);
    }
}

void CNFCManager::AddNewRegistration(NFCRegistrationList& fresh)
{
    const NFCRegistration* added = nullptr;
    CBaseRspController* controller = nullptr;
    {
        std::lock_guard lock(lock_);
        for (const auto& registration : fresh) {
            if (!records_.count(registration.messageType)) {
                added = &registration;
                break;
            }
        }
        if (!added) return;
        if (added->messageType.empty() || added->applicationPath.empty() || !controller_) return;
        controller = controller_.get();
    }
    INT64 id = -1;
    if (!SubscribeType(*added, id)) return;
    AddRecord(added->messageType, controller, added->applicationPath, id);
    std::lock_guard lock(lock_);
    registrations_ = std::move(fresh);
}

void CNFCManager::RemoveDroppedRegistration(NFCRegistrationList& fresh)
{
    std::wstring droppedType;
    INT64 id = -1;
    com_ptr<sdk::IProximityDevice> device;
    {
        std::lock_guard lock(lock_);
        const NFCRegistration* dropped = nullptr;
        for (const auto& registration : registrations_) {
            bool present = false;
            for (const auto& candidate : fresh) {
                if (EqualsNoCase(registration.messageType, candidate.messageType)) {
                    present = true;
                    break;
                }
            }
            if (!present) {
                dropped = &registration;
                break;
            }
        }
        if (!dropped) return;
        droppedType = dropped->messageType;
        auto found = records_.find(droppedType);
        if (found != records_.end() && deviceAvailable_ && deviceContext_ && deviceContext_->device &&
            found->second.subscriptionId != -1) {
            id = found->second.subscriptionId;
            device = deviceContext_->device;
        }
    }
    bool stopped = device && SUCCEEDED(device->StopSubscribingForMessage(id));
    std::lock_guard lock(lock_);
    if (stopped) {
        auto found = records_.find(droppedType);
        if (found != records_.end() && found->second.subscriptionId == id) records_.erase(found);
    }
    registrations_ = std::move(fresh);
}

void CNFCManager::Close()
{
    // The watch changes the table and calls the device: it ends first.
    watch_.Stop();
    if (deviceContext_) deviceContext_->gate.Close();
    // From here no callback touches the controller, the table or the block.
    SubscriptionTable records;
    std::unique_ptr<CBaseRspController> controller;
    com_ptr<sdk::IProximityDevice> device;
    bool available = false;
    INT64 published = -1;
    {
        std::lock_guard lock(lock_);
        controller = std::move(controller_);
        records.swap(records_);
        available = deviceAvailable_;
        if (deviceContext_) device = deviceContext_->device;
        published = std::exchange(publishedMessageId_, -1);
    }
    controller.reset();
    hex_.Release();
    if (available && device) {
        for (const auto& [type, record] : records) {
            if (record.subscriptionId != -1) device->StopSubscribingForMessage(record.subscriptionId);
        }
    }
    if (!deviceContext_) return;
    if (device) {
        device->remove_DeviceArrived(deviceContext_->arrivedToken);
        device->remove_DeviceDeparted(deviceContext_->departedToken);
        // The platform holds the transmitted handler for as long as the
        // message is published, and that handler lives in the block.
        if (published != -1) device->StopPublishingMessage(published);
    }
    device.reset();
    {
        std::lock_guard lock(lock_);
        deviceContext_->device.reset();
    }
    if (deviceContext_->HandlersReleased()) {
        deviceContext_.reset();
    } else {
        ReleaseContext(retiredContext_);
        retiredContext_ = std::move(deviceContext_);
    }
}

INT64 CNFCManager::PublishedMessageId()
{
    std::lock_guard lock(lock_);
    return publishedMessageId_;
}

size_t CNFCManager::RecordCount()
{
    std::lock_guard lock(lock_);
    return records_.size();
}

size_t CNFCManager::RegistrationCount()
{
    std::lock_guard lock(lock_);
    return registrations_.size();
}

}  // namespace tapdeck
