#pragma once
// Windows.Networking.Proximity, Windows.Security.Cryptography and the
// Windows.Storage.Streams buffer, declared at the ABI: mingw-w64 10 has no
// usable C++ headers for them. Slot order is the vtable order; never add a
// virtual destructor here.
#include <windows.h>
#include <inspectable.h>
#include <eventtoken.h>
#include <winstring.h>

namespace sdk {

struct IProximityDevice;
struct IProximityMessage;
struct IUriRuntimeClass;  // only keeps the publish-URI slots in place

struct IBuffer : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Capacity(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Length(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Length(UINT32 value) = 0;
};

struct IBufferFactory : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE Create(UINT32 capacity, IBuffer** value) = 0;
};

// Classic COM, reached by QueryInterface on an IBuffer.
struct IBufferByteAccess : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Buffer(BYTE** value) = 0;
};

struct IMessageReceivedHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(IProximityDevice* sender, IProximityMessage* message) = 0;
};
struct IMessageTransmittedHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(IProximityDevice* sender, INT64 messageId) = 0;
};
struct IDeviceArrivedEventHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(IProximityDevice* sender) = 0;
};
struct IDeviceDepartedEventHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(IProximityDevice* sender) = 0;
};

struct IProximityMessage : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_MessageType(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SubscriptionId(INT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Data(IBuffer** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DataAsString(HSTRING* value) = 0;
};

struct IProximityDevice : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE SubscribeForMessage(HSTRING messageType, IMessageReceivedHandler* handler,
                                                          INT64* subscriptionId) = 0;
    virtual HRESULT STDMETHODCALLTYPE PublishMessage(HSTRING messageType, HSTRING message, INT64* messageId) = 0;
    virtual HRESULT STDMETHODCALLTYPE PublishMessageWithCallback(HSTRING messageType, HSTRING message,
                                                                 IMessageTransmittedHandler* handler,
                                                                 INT64* messageId) = 0;
    virtual HRESULT STDMETHODCALLTYPE PublishBinaryMessage(HSTRING messageType, IBuffer* message,
                                                           INT64* messageId) = 0;
    virtual HRESULT STDMETHODCALLTYPE PublishBinaryMessageWithCallback(HSTRING messageType, IBuffer* message,
                                                                       IMessageTransmittedHandler* handler,
                                                                       INT64* messageId) = 0;
    virtual HRESULT STDMETHODCALLTYPE PublishUriMessage(IUriRuntimeClass* message, INT64* messageId) = 0;
    virtual HRESULT STDMETHODCALLTYPE PublishUriMessageWithCallback(IUriRuntimeClass* message,
                                                                    IMessageTransmittedHandler* handler,
                                                                    INT64* messageId) = 0;
    virtual HRESULT STDMETHODCALLTYPE StopSubscribingForMessage(INT64 subscriptionId) = 0;
    virtual HRESULT STDMETHODCALLTYPE StopPublishingMessage(INT64 messageId) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_DeviceArrived(IDeviceArrivedEventHandler* handler,
                                                        EventRegistrationToken* cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_DeviceArrived(EventRegistrationToken cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_DeviceDeparted(IDeviceDepartedEventHandler* handler,
                                                         EventRegistrationToken* cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_DeviceDeparted(EventRegistrationToken cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MaxMessageBytes(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BitsPerSecond(UINT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DeviceId(HSTRING* value) = 0;
};

// Statics order is GetDeviceSelector, GetDefault, FromId.
struct IProximityDeviceStatics : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetDeviceSelector(HSTRING* selector) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDefault(IProximityDevice** device) = 0;
    virtual HRESULT STDMETHODCALLTYPE FromId(HSTRING deviceId, IProximityDevice** device) = 0;
};

enum BinaryStringEncoding : INT32 { BinaryStringEncoding_Utf8 = 0, BinaryStringEncoding_Utf16LE = 1,
                                    BinaryStringEncoding_Utf16BE = 2 };

struct ICryptographicBufferStatics : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE Compare(IBuffer* object1, IBuffer* object2, boolean* isEqual) = 0;
    virtual HRESULT STDMETHODCALLTYPE GenerateRandom(UINT32 length, IBuffer** buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE GenerateRandomNumber(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateFromByteArray(UINT32 valueSize, BYTE* value, IBuffer** buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyToByteArray(IBuffer* buffer, UINT32* valueSize, BYTE** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE DecodeFromHexString(HSTRING value, IBuffer** buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE EncodeToHexString(IBuffer* buffer, HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE DecodeFromBase64String(HSTRING value, IBuffer** buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE EncodeToBase64String(IBuffer* buffer, HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConvertStringToBinary(HSTRING value, BinaryStringEncoding encoding,
                                                            IBuffer** buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConvertBinaryToString(BinaryStringEncoding encoding, IBuffer* buffer,
                                                            HSTRING* value) = 0;
};

inline constexpr wchar_t RuntimeClass_ProximityDevice[] = L"Windows.Networking.Proximity.ProximityDevice";
inline constexpr wchar_t RuntimeClass_CryptographicBuffer[] = L"Windows.Security.Cryptography.CryptographicBuffer";
inline constexpr wchar_t RuntimeClass_Buffer[] = L"Windows.Storage.Streams.Buffer";

}  // namespace sdk

__CRT_UUID_DECL(sdk::IBuffer, 0x905a0fe0, 0xbc53, 0x11df, 0x8c, 0x49, 0x00, 0x1e, 0x4f, 0xc6, 0x86, 0xda)
__CRT_UUID_DECL(sdk::IBufferFactory, 0x71af914d, 0xc10f, 0x484b, 0xbc, 0x50, 0x14, 0xbc, 0x62, 0x3b, 0x3a, 0x27)
__CRT_UUID_DECL(sdk::IBufferByteAccess, 0x905a0fef, 0xbc53, 0x11df, 0x8c, 0x49, 0x00, 0x1e, 0x4f, 0xc6, 0x86, 0xda)
__CRT_UUID_DECL(sdk::IProximityDeviceStatics, 0x914ba01d, 0xf6e1, 0x47c4, 0xa1, 0x4c, 0x14, 0x8a, 0x19, 0x03, 0xd0, 0xc6)
__CRT_UUID_DECL(sdk::IProximityDevice, 0xefa8a552, 0xf6e1, 0x4329, 0xa0, 0xfc, 0xab, 0x6b, 0x0f, 0xd2, 0x82, 0x62)
__CRT_UUID_DECL(sdk::IProximityMessage, 0xefab0782, 0xf6e1, 0x4675, 0xa0, 0x45, 0xd8, 0xe3, 0x20, 0xc2, 0x48, 0x08)
__CRT_UUID_DECL(sdk::IMessageReceivedHandler, 0xefab0782, 0xf6e2, 0x4675, 0xa0, 0x45, 0xd8, 0xe3, 0x20, 0xc2, 0x48, 0x08)
__CRT_UUID_DECL(sdk::IMessageTransmittedHandler, 0xefaa0b4a, 0xf6e2, 0x4d7d, 0x85, 0x6c, 0x78, 0xfc, 0x8e, 0xfc, 0x02, 0x1e)
__CRT_UUID_DECL(sdk::IDeviceArrivedEventHandler, 0xefa9da69, 0xf6e1, 0x49c9, 0xa4, 0x9e, 0x8e, 0x0f, 0xc5, 0x8f, 0xb9, 0x11)
__CRT_UUID_DECL(sdk::IDeviceDepartedEventHandler, 0xefa9da69, 0xf6e2, 0x49c9, 0xa4, 0x9e, 0x8e, 0x0f, 0xc5, 0x8f, 0xb9, 0x11)
__CRT_UUID_DECL(sdk::ICryptographicBufferStatics, 0x320b7e22, 0x3cb0, 0x4cdf, 0x86, 0x63, 0x1d, 0x28, 0x91, 0x00, 0x65, 0xeb)
