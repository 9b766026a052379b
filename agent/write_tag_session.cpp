#include "write_tag_session.h"

#include <roapi.h>

#include <new>

#include "delegate_base.h"
#include "unique_hstring.h"

namespace tapdeck {

namespace {

constexpr wchar_t kWriteTagType[] = L"NDEF:WriteTag";
constexpr wchar_t kWriteableTagType[] = L"WriteableTag";

// A handler the platform calls back: it only posts to the dialog's window,
// so a call that comes after the dialog has gone does no harm. Its count
// never frees it; the block that holds it is freed once nobody else does.
template <typename Delegate>
class PostingHandler : public DelegateBase<Delegate> {
public:
    explicit PostingHandler(HWND notify) noexcept : notify_(notify) {}
    PostingHandler(const PostingHandler&) = delete;
    PostingHandler& operator=(const PostingHandler&) = delete;

    bool Unheld() const noexcept { return this->Count() == 1; }

protected:
    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { ::PostMessageW(notify_, message, wParam, lParam); }

private:
    HWND notify_;
};

// A reader's tag came or went: the dialog hears which.
template <typename Delegate, UINT Message>
class DeviceEventHandler final : public PostingHandler<Delegate> {
public:
    using PostingHandler<Delegate>::PostingHandler;
    HRESULT STDMETHODCALLTYPE Invoke(sdk::IProximityDevice*) override
    {
        this->Post(Message);
        return S_OK;
    }
};
using ArrivedHandler = DeviceEventHandler<sdk::IDeviceArrivedEventHandler, WM_TAG_ARRIVED>;
using DepartedHandler = DeviceEventHandler<sdk::IDeviceDepartedEventHandler, WM_TAG_DEPARTED>;

// "WriteableTag" data: the tag's capacity as a little-endian 32-bit integer.
class CapacityHandler final : public PostingHandler<sdk::IMessageReceivedHandler> {
public:
    using PostingHandler::PostingHandler;
    HRESULT STDMETHODCALLTYPE Invoke(sdk::IProximityDevice*, sdk::IProximityMessage* message) override
    {
        if (!message) return E_POINTER;
        com_ptr<sdk::IBuffer> data;
        com_ptr<sdk::IBufferByteAccess> access;
        UINT32 length = 0;
        BYTE* bytes = nullptr;
        if (FAILED(message->get_Data(data.put())) || !data || FAILED(data->get_Length(&length)) || length < 4 ||
            FAILED(data.as(__uuidof(sdk::IBufferByteAccess), access)) || FAILED(access->Buffer(&bytes)) || !bytes)
            return S_OK;
        const UINT32 capacity = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<UINT32>(bytes[3]) << 24;
        Post(WM_TAG_CAPACITY, capacity);
        return S_OK;
    }
};

class WrittenHandler final : public PostingHandler<sdk::IMessageTransmittedHandler> {
public:
    using PostingHandler::PostingHandler;
    HRESULT STDMETHODCALLTYPE Invoke(sdk::IProximityDevice*, INT64 messageId) override
    {
        Post(WM_TAG_WRITTEN, 0, static_cast<LPARAM>(static_cast<LONG>(messageId)));
        return S_OK;
    }
};

}  // namespace

struct WriteTagHandlers {
    explicit WriteTagHandlers(HWND notify) noexcept
        : arrived(notify), departed(notify), capacity(notify), written(notify)
    {
    }
    bool Unheld() const noexcept
    {
        return arrived.Unheld() && departed.Unheld() && capacity.Unheld() && written.Unheld();
    }
    ArrivedHandler arrived;
    DepartedHandler departed;
    CapacityHandler capacity;
    WrittenHandler written;
};

CWriteTagSession::~CWriteTagSession()
{
    Stop();
    if (listening_) {
        device_->remove_DeviceArrived(arrivedToken_);
        device_->remove_DeviceDeparted(departedToken_);
    }
    device_.reset();
    statics_.reset();
    // A platform that still holds a handler may still call it: then the
    // block stays for the rest of the process.
    if (handlers_ && handlers_->Unheld()) delete handlers_;
}

bool CWriteTagSession::OpenDevice()
{
    if (device_) return true;
    if (!statics_) {
        const hstring_ref className(sdk::RuntimeClass_ProximityDevice);
        if (FAILED(::RoGetActivationFactory(className.get(), __uuidof(sdk::IProximityDeviceStatics),
                                            statics_.put_void())))
            statics_.reset();
    }
    if (!statics_ || FAILED(statics_->GetDefault(device_.put())) || !device_) return false;
    if (!handlers_) handlers_ = new (std::nothrow) WriteTagHandlers(notify_);
    if (!handlers_) {
        device_.reset();
        return false;
    }
    listening_ = SUCCEEDED(device_->add_DeviceArrived(&handlers_->arrived, &arrivedToken_)) &&
                 SUCCEEDED(device_->add_DeviceDeparted(&handlers_->departed, &departedToken_));
    return true;
}

CWriteTagSession::Begun CWriteTagSession::Begin(const std::string& message)
{
    Stop();
    if (!OpenDevice()) return Begun::NoReader;
    com_ptr<sdk::ICryptographicBufferStatics> buffers;
    const hstring_ref bufferClass(sdk::RuntimeClass_CryptographicBuffer);
    com_ptr<sdk::IBuffer> buffer;
    if (FAILED(::RoGetActivationFactory(bufferClass.get(), __uuidof(sdk::ICryptographicBufferStatics),
                                        buffers.put_void())) ||
        !buffers ||
        FAILED(buffers->CreateFromByteArray(static_cast<UINT32>(message.size()),
                                            reinterpret_cast<BYTE*>(const_cast<char*>(message.data())),
                                            buffer.put())) ||
        !buffer)
        return Begun::Refused;
    // Listening first: a tag already on the reader is written the moment
    // the message is published.
    const hstring_ref writeable(kWriteableTagType);
    if (FAILED(device_->SubscribeForMessage(writeable.get(), &handlers_->capacity, &subscriptionId_)))
        subscriptionId_ = -1;
    const hstring_ref writeTag(kWriteTagType);
    INT64 id = -1;
    if (FAILED(device_->PublishBinaryMessageWithCallback(writeTag.get(), buffer.get(), &handlers_->written, &id)) ||
        id == -1) {
        Stop();
        return Begun::Refused;
    }
    publicationId_ = id;
    return Begun::Waiting;
}

void CWriteTagSession::Stop()
{
    if (!device_) return;
    if (publicationId_ != -1) device_->StopPublishingMessage(publicationId_);
    if (subscriptionId_ != -1) device_->StopSubscribingForMessage(subscriptionId_);
    publicationId_ = -1;
    subscriptionId_ = -1;
}

bool CWriteTagSession::ReaderPresent()
{
    com_ptr<sdk::IProximityDevice> now;
    return statics_ && SUCCEEDED(statics_->GetDefault(now.put())) && now;
}

}  // namespace tapdeck
