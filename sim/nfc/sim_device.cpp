#include "sim_device.h"

#include <objbase.h>
#include <cstdlib>
#include <functional>
#include <new>

#include "census.h"
#include "fault.h"
#include "hex.h"
#include "message_type_rules.h"
#include "ndef_routing.h"
#include "radio_protocol.h"
#include "sim_buffer.h"
#include "sim_message.h"
#include "sim_state.h"

namespace tapdeck::sim {
namespace {

std::wstring Text(HSTRING value)
{
    UINT32 length = 0;
    const wchar_t* raw = ::WindowsGetStringRawBuffer(value, &length);
    return raw ? std::wstring(raw, length) : std::wstring();
}

void Record(const wchar_t* file, const std::wstring& line) { AppendRecord(kNfcArea, file, line); }

constexpr wchar_t kWriteTagType[] = L"NDEF:WriteTag";

// "…:WriteTag" publications go to static tags only, never to a peer device.
bool IsTagPublication(const std::wstring& type) { return type.find(L":WriteTag") != std::wstring::npos; }

struct Tag {
    bool present = false;
    bool writable = false;
    bool leaving = false;  // taken away before a write to it can end
    size_t capacity = 0;
    std::vector<BYTE> bytes;
};

Tag ReadTag()
{
    Tag tag;
    const std::wstring text = ReadStateFile(kNfcArea, kNfcTagFile);
    std::wstring hex;
    const bool leaving = text.rfind(L"leaving ", 0) == 0;
    if (leaving || text.rfind(L"writable ", 0) == 0) {
        wchar_t* end = nullptr;
        tag.capacity = std::wcstoul(text.c_str() + (leaving ? 8 : 9), &end, 10);
        tag.leaving = leaving;
        tag.writable = true;
        hex = end && *end == L' ' ? std::wstring(end + 1) : std::wstring();
    } else if (text.rfind(L"read-only", 0) == 0) {
        hex = text.size() > 10 ? text.substr(10) : std::wstring();
    } else {
        return tag;
    }
    while (!hex.empty() && (hex.back() == L'\n' || hex.back() == L'\r')) hex.pop_back();
    tag.present = FromHex(hex, tag.bytes);
    return tag;
}

bool SaveTag(const Tag& tag)
{
    const std::wstring kind = !tag.writable ? L"read-only"
                              : (tag.leaving ? L"leaving " : L"writable ") + std::to_wstring(tag.capacity);
    return WriteStateFile(kNfcArea, kNfcTagFile, kind + L" " + ToHex(tag.bytes));
}

std::vector<std::string> Fields(const std::string& request)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = request.find('\t', start);
        fields.push_back(request.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return fields;
}

}  // namespace

CSimDevice* CSimDevice::Instance()
{
    static CSimDevice* device = [] {
        auto* created = new (std::nothrow) CSimDevice();
        if (created && !created->StartListener()) created = nullptr;
        return created;
    }();
    return device;
}

HRESULT CSimDevice::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable) || iid == __uuidof(sdk::IProximityDevice)) {
        *object = static_cast<sdk::IProximityDevice*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT CSimDevice::SubscribeForMessage(HSTRING messageType, sdk::IMessageReceivedHandler* handler,
                                        INT64* subscriptionId)
{
    if (!handler || !subscriptionId) return E_POINTER;
    const std::wstring type = Text(messageType);
    if (!IsSubscribableType(type)) return E_INVALIDARG;
    if (type == ReadStateFile(kNfcArea, kNfcRefuseFile)) return E_FAIL;
    if (const long fault = InjectedFault(L"SubscribeForMessage")) return fault;
    INT64 id = 0;
    {
        std::lock_guard lock(lock_);
        id = nextId_++;
        subscriptions_[id] = Subscription{type, com_ptr<sdk::IMessageReceivedHandler>::copy(handler)};
    }
    *subscriptionId = id;
    Record(kNfcSubscriptionsFile, L"subscribe\t" + std::to_wstring(id) + L"\t" + type);
    return S_OK;
}

HRESULT CSimDevice::StopSubscribingForMessage(INT64 subscriptionId)
{
    // A failed stop leaves the subscription in force, as the platform's would.
    if (const long fault = InjectedFault(L"StopSubscribingForMessage")) return fault;
    Subscription removed{};
    {
        std::lock_guard lock(lock_);
        auto found = subscriptions_.find(subscriptionId);
        if (found == subscriptions_.end()) return E_INVALIDARG;
        removed = std::move(found->second);
        subscriptions_.erase(found);
    }
    Record(kNfcSubscriptionsFile, L"unsubscribe\t" + std::to_wstring(subscriptionId) + L"\t" + removed.type);
    return S_OK;
}

HRESULT CSimDevice::Publish(HSTRING messageType, std::vector<BYTE> bytes, sdk::IMessageTransmittedHandler* handler,
                            INT64* messageId)
{
    if (!messageId) return E_POINTER;
    const std::wstring type = Text(messageType);
    if (!IsPublishableType(type)) return E_INVALIDARG;
    INT64 id = 0;
    {
        std::lock_guard lock(lock_);
        id = nextId_++;
        publications_[id] = Publication{type, com_ptr<sdk::IMessageTransmittedHandler>::copy(handler), bytes};
    }
    *messageId = id;
    Record(kNfcPublishedFile, L"publish\t" + std::to_wstring(id) + L"\t" + type + L"\t" + ToHex(bytes));
    // A tag publication made while a writable tag is on the reader is written at once.
    if (type == kWriteTagType && ReadTag().writable && !ReadTag().leaving) {
        if (HANDLE thread = ::CreateThread(nullptr, 0, WriteThread, this, 0, nullptr)) ::CloseHandle(thread);
    }
    return S_OK;
}

HRESULT CSimDevice::PublishMessage(HSTRING messageType, HSTRING message, INT64* messageId)
{
    return PublishMessageWithCallback(messageType, message, nullptr, messageId);
}

HRESULT CSimDevice::PublishMessageWithCallback(HSTRING messageType, HSTRING message,
                                               sdk::IMessageTransmittedHandler* handler, INT64* messageId)
{
    // "For the PublishMessage method, the protocol must always be Windows."
    static constexpr std::wstring_view kWindowsProtocol = L"Windows.";
    if (std::wstring_view(Text(messageType)).substr(0, kWindowsProtocol.size()) != kWindowsProtocol)
        return E_INVALIDARG;
    const std::wstring text = Text(message);
    std::vector<BYTE> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xff));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return Publish(messageType, std::move(bytes), handler, messageId);
}

HRESULT CSimDevice::PublishBinaryMessage(HSTRING messageType, sdk::IBuffer* message, INT64* messageId)
{
    return PublishBinaryMessageWithCallback(messageType, message, nullptr, messageId);
}

HRESULT CSimDevice::PublishBinaryMessageWithCallback(HSTRING messageType, sdk::IBuffer* message,
                                                     sdk::IMessageTransmittedHandler* handler, INT64* messageId)
{
    if (const long fault = InjectedFault(L"PublishBinaryMessage")) return fault;
    std::vector<BYTE> bytes;
    if (!BufferBytes(message, bytes)) return E_INVALIDARG;
    return Publish(messageType, std::move(bytes), handler, messageId);
}

HRESULT CSimDevice::PublishUriMessage(sdk::IUriRuntimeClass*, INT64*) { return E_NOTIMPL; }

HRESULT CSimDevice::PublishUriMessageWithCallback(sdk::IUriRuntimeClass*, sdk::IMessageTransmittedHandler*, INT64*)
{
    return E_NOTIMPL;
}

HRESULT CSimDevice::StopPublishingMessage(INT64 messageId)
{
    if (const long fault = InjectedFault(L"StopPublishingMessage")) {
        Record(kNfcPublishedFile, L"failed-withdraw\t" + std::to_wstring(messageId));
        return fault;
    }
    Publication removed{};
    bool known = false;
    {
        std::lock_guard lock(lock_);
        auto found = publications_.find(messageId);
        if (found != publications_.end()) {
            removed = std::move(found->second);
            publications_.erase(found);
            known = true;
        }
    }
    if (!known) {
        // Recorded too: a program that stops what it is not publishing has lost track of its id.
        Record(kNfcPublishedFile, L"unknown-withdraw\t" + std::to_wstring(messageId));
        return E_INVALIDARG;
    }
    Record(kNfcPublishedFile, L"withdraw\t" + std::to_wstring(messageId));
    return S_OK;
}

HRESULT CSimDevice::add_DeviceArrived(sdk::IDeviceArrivedEventHandler* handler, EventRegistrationToken* cookie)
{
    if (!handler || !cookie) return E_POINTER;
    std::lock_guard lock(lock_);
    cookie->value = nextId_++;
    arrived_[cookie->value] = com_ptr<sdk::IDeviceArrivedEventHandler>::copy(handler);
    return S_OK;
}

HRESULT CSimDevice::remove_DeviceArrived(EventRegistrationToken cookie)
{
    com_ptr<sdk::IDeviceArrivedEventHandler> handler;
    {
        std::lock_guard lock(lock_);
        auto found = arrived_.find(cookie.value);
        if (found == arrived_.end()) return S_OK;
        handler = std::move(found->second);
        arrived_.erase(found);
    }
    return S_OK;
}

HRESULT CSimDevice::add_DeviceDeparted(sdk::IDeviceDepartedEventHandler* handler, EventRegistrationToken* cookie)
{
    if (!handler || !cookie) return E_POINTER;
    std::lock_guard lock(lock_);
    cookie->value = nextId_++;
    departed_[cookie->value] = com_ptr<sdk::IDeviceDepartedEventHandler>::copy(handler);
    return S_OK;
}

HRESULT CSimDevice::remove_DeviceDeparted(EventRegistrationToken cookie)
{
    com_ptr<sdk::IDeviceDepartedEventHandler> handler;
    {
        std::lock_guard lock(lock_);
        auto found = departed_.find(cookie.value);
        if (found == departed_.end()) return S_OK;
        handler = std::move(found->second);
        departed_.erase(found);
    }
    return S_OK;
}

HRESULT CSimDevice::get_MaxMessageBytes(UINT32* value)
{
    if (!value) return E_POINTER;
    *value = 10240;
    return S_OK;
}

HRESULT CSimDevice::get_BitsPerSecond(UINT64* value)
{
    if (!value) return E_POINTER;
    *value = 424000;
    return S_OK;
}

HRESULT CSimDevice::get_DeviceId(HSTRING* value)
{
    static constexpr wchar_t id[] = L"\\\\?\\TAPDECK_SIM_NFC#0";
    return ::WindowsCreateString(id, static_cast<UINT32>(wcslen(id)), value);
}

long CSimDevice::Arrive()
{
    std::vector<com_ptr<sdk::IDeviceArrivedEventHandler>> handlers;
    {
        std::lock_guard lock(lock_);
        for (auto& [token, handler] : arrived_) handlers.push_back(handler);
    }
    for (auto& handler : handlers) handler->Invoke(this);
    return static_cast<long>(handlers.size());
}

long CSimDevice::Depart()
{
    std::vector<com_ptr<sdk::IDeviceDepartedEventHandler>> handlers;
    {
        std::lock_guard lock(lock_);
        for (auto& [token, handler] : departed_) handlers.push_back(handler);
    }
    for (auto& handler : handlers) handler->Invoke(this);
    return static_cast<long>(handlers.size());
}

long CSimDevice::Touch(const std::vector<BYTE>& bytes, LARGE_INTEGER* delivered)
{
    return Deliver(
        [&](const std::wstring& type, std::vector<BYTE>& data) { return RouteToSubscription(type, bytes, data); },
        delivered);
}

long CSimDevice::Deliver(const std::function<bool(const std::wstring&, std::vector<BYTE>&)>& route,
                         LARGE_INTEGER* delivered)
{
    struct Delivery {
        INT64 id;
        std::wstring type;
        std::vector<BYTE> data;
        com_ptr<sdk::IMessageReceivedHandler> handler;
    };
    std::vector<Delivery> deliveries;
    {
        std::lock_guard lock(lock_);
        for (auto& [id, subscription] : subscriptions_) {
            std::vector<BYTE> data;
            if (route(subscription.type, data))
                deliveries.push_back(Delivery{id, subscription.type, std::move(data), subscription.handler});
        }
    }
    for (auto& delivery : deliveries) {
        auto* message = new (std::nothrow) CSimMessage(delivery.type, delivery.id, delivery.data);
        if (!message) continue;
        if (delivered && delivered->QuadPart == 0) ::QueryPerformanceCounter(delivered);
        delivery.handler->Invoke(this, message);
        message->Release();
    }
    return static_cast<long>(deliveries.size());
}

long CSimDevice::PlaceTag()
{
    const Tag tag = ReadTag();
    if (!tag.present) return 0;
    Arrive();
    long called = 0;
    if (tag.writable) {
        // "WriteableTag" receives the capacity as a little-endian int32.
        std::vector<BYTE> size(4);
        for (int i = 0; i < 4; ++i) size[i] = static_cast<BYTE>(tag.capacity >> (8 * i));
        called += Deliver(
            [&](const std::wstring& type, std::vector<BYTE>& data) {
                data = size;
                return type == L"WriteableTag";
            },
            nullptr);
        if (tag.leaving) {
            // Gone before the write could end: nothing on it changed, nothing
            // reported transmitted, and it is not read.
            Record(kNfcPublishedFile, L"left-before-written");
            DeleteStateFile(kNfcArea, kNfcTagFile);
            return called + Depart();
        }
        // A tag that is written is not read for anyone else.
        if (WriteTag(tag.capacity)) return called + 1;
    }
    return tag.bytes.empty() ? called : called + Touch(tag.bytes);
}

bool CSimDevice::WriteTag(size_t capacity)
{
    INT64 id = 0;
    std::vector<BYTE> bytes;
    com_ptr<sdk::IMessageTransmittedHandler> handler;
    {
        std::lock_guard lock(lock_);
        // The newest publication that fits is the one written.
        for (auto it = publications_.rbegin(); it != publications_.rend(); ++it) {
            if (it->second.type != kWriteTagType || it->second.bytes.size() > capacity) continue;
            id = it->first;
            bytes = it->second.bytes;
            handler = it->second.handler;
            break;
        }
    }
    if (id == 0) return false;
    Tag tag = ReadTag();
    const bool written = tag.writable && tag.capacity >= bytes.size();
    if (written) {
        tag.bytes = bytes;
        SaveTag(tag);
        Record(kNfcPublishedFile, L"written\t" + std::to_wstring(id) + L"\t" + ToHex(bytes));
        if (handler) handler->Invoke(this, id);
    }
    return written;
}

DWORD WINAPI CSimDevice::WriteThread(void* param)
{
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    auto* self = static_cast<CSimDevice*>(param);
    self->WriteTag(ReadTag().capacity);
    ::CoUninitialize();
    return 0;
}

long CSimDevice::Transmit(INT64 only)
{
    struct Delivery {
        INT64 id;
        com_ptr<sdk::IMessageTransmittedHandler> handler;
    };
    std::vector<Delivery> deliveries;
    std::vector<INT64> read;
    {
        std::lock_guard lock(lock_);
        for (auto& [id, publication] : publications_) {
            if (IsTagPublication(publication.type)) continue;
            if (only != -1 && id != only) continue;
            read.push_back(id);
            if (publication.handler) deliveries.push_back(Delivery{id, publication.handler});
        }
    }
    for (INT64 id : read) Record(kNfcPublishedFile, L"transmitted\t" + std::to_wstring(id));
    for (auto& delivery : deliveries) delivery.handler->Invoke(this, delivery.id);
    return static_cast<long>(deliveries.size());
}

std::string CSimDevice::Serve(const std::string& request)
{
    const auto fields = Fields(request);
    long called = 0;
    if (fields[0] == "touch" && fields.size() == 2) {
        std::vector<BYTE> bytes;
        if (!FromHex(FromUtf8(fields[1]), bytes)) return "bad hex";
        Arrive();
        LARGE_INTEGER delivered{};
        called = Touch(bytes, &delivered);
        return "ok " + std::to_string(called) + " " + std::to_string(delivered.QuadPart);
    } else if (fields[0] == "tag") {
        called = PlaceTag();
    } else if (fields[0] == "arrive") {
        called = Arrive();
    } else if (fields[0] == "depart") {
        called = Depart();
    } else if (fields[0] == "transmit") {
        called = Transmit(fields.size() == 2 ? std::strtoll(fields[1].c_str(), nullptr, 10) : -1);
    } else if (fields[0] == "census") {
        // Written now for a reader in another process; the answer counts
        // the objects alive and the underflows.
        WriteCensus(kNfcCensus);
        long alive = 0;
        long underflows = 0;
        for (const CensusRow& row : ReadCensus(::GetCurrentProcessId())) {
            if (row.standIn != kNfcCensus) continue;
            alive += row.alive;
            underflows += row.underflows;
        }
        return "ok " + std::to_string(alive) + " " + std::to_string(underflows);
    } else if (fields[0] != "ping") {
        return "unknown request";
    }
    return "ok " + std::to_string(called);
}

bool CSimDevice::StartListener()
{
    // The listener runs as long as the process: the library must stay loaded.
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                         reinterpret_cast<LPCWSTR>(&CSimDevice::Instance), &self);
    // The first pipe is made and the host announced before the device is
    // handed out: a request sent as soon as the program has its device (a
    // tag held to the reader once it publishes) must find it.
    const DWORD pid = ::GetCurrentProcessId();
    listening_ = CreateListeningPipe(pid);
    if (listening_ == INVALID_HANDLE_VALUE) return false;
    WriteStateFile(kNfcArea, RadioHostFile(pid), std::to_wstring(pid));
    HANDLE thread = ::CreateThread(nullptr, 0, ListenThread, this, 0, nullptr);
    if (!thread) return false;
    ::CloseHandle(thread);
    return true;
}

HANDLE CSimDevice::CreateListeningPipe(DWORD pid)
{
    return ::CreateNamedPipeW(RadioPipeName(pid).c_str(), PIPE_ACCESS_DUPLEX,
                              PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES, 65536,
                              65536, 0, nullptr);
}

namespace {

struct Connection {
    CSimDevice* device;
    HANDLE pipe;
};

}  // namespace

DWORD WINAPI CSimDevice::ListenThread(void* param)
{
    auto* self = static_cast<CSimDevice*>(param);
    const DWORD pid = ::GetCurrentProcessId();
    HANDLE pipe = std::exchange(self->listening_, INVALID_HANDLE_VALUE);
    for (;; pipe = CreateListeningPipe(pid)) {
        if (pipe == INVALID_HANDLE_VALUE) return 0;
        if (!::ConnectNamedPipe(pipe, nullptr) && ::GetLastError() != ERROR_PIPE_CONNECTED) {
            ::CloseHandle(pipe);
            continue;
        }
        // Each peer gets a radio thread of its own, as the platform's are many.
        auto* connection = new (std::nothrow) Connection{self, pipe};
        HANDLE worker = connection ? ::CreateThread(nullptr, 0, ServeThread, connection, 0, nullptr) : nullptr;
        if (worker) {
            ::CloseHandle(worker);
        } else {
            delete connection;
            ::CloseHandle(pipe);
        }
    }
}

DWORD WINAPI CSimDevice::ServeThread(void* param)
{
    auto* connection = static_cast<Connection*>(param);
    // The platform's radio threads live in the multithreaded apartment.
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    char request[65536];
    DWORD read = 0;
    if (::ReadFile(connection->pipe, request, sizeof(request), &read, nullptr)) {
        const std::string reply = connection->device->Serve(std::string(request, read));
        DWORD written = 0;
        ::WriteFile(connection->pipe, reply.data(), static_cast<DWORD>(reply.size()), &written, nullptr);
        // Wait for the peer to take the answer and hang up.
        ::ReadFile(connection->pipe, request, sizeof(request), &read, nullptr);
    }
    ::CloseHandle(connection->pipe);
    delete connection;
    ::CoUninitialize();
    return 0;
}

}  // namespace tapdeck::sim
