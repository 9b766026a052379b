// The handler objects and the choice between them, linked from the agent.
#include <gtest/gtest.h>

#include "nfc/nfc_device_context.h"
#include "nfc/nfc_manager.h"
#include "nfc/nfc_message_type.h"
#include "usage_stats.h"

using namespace tapdeck;

namespace {

struct TypeCase {
    const wchar_t* type;
    bool stringForm;
};

class HandlerChoice : public ::testing::TestWithParam<TypeCase> {};

TEST_P(HandlerChoice, OnlyTypesBeginningWithWindowsGetTheStringForm)
{
    EXPECT_EQ(GetParam().stringForm, UsesStringForm(GetParam().type)) << GetParam().type;
}

INSTANTIATE_TEST_SUITE_P(
    Types, HandlerChoice,
    ::testing::Values(TypeCase{L"NDEF", false}, TypeCase{L"ndef:ext", false}, TypeCase{L"NdEf:MIME.text/plain", false},
                      TypeCase{L"Windows", true}, TypeCase{L"windows.SampleMessage", true},
                      TypeCase{L"WINDOWSURI", true}, TypeCase{L"WindowsMime.image/jpeg", true},
                      TypeCase{L"NDE", false}, TypeCase{L"Win", false}, TypeCase{L"Windo", false},
                      TypeCase{L"", false}, TypeCase{L" Windows", false}, TypeCase{L"LaunchApp:WriteTag", false},
                      TypeCase{L"Pairing:Bluetooth", false}));

class HandlerObjects : public ::testing::Test {
protected:
    UsageUser usage;
    CNFCManager manager{usage};
    CNFCDeviceContext context{manager};
};

template <typename Handler>
void ExpectAnswersExactly(Handler& handler, REFIID own, std::initializer_list<IID> others)
{
    void* object = nullptr;
    EXPECT_EQ(S_OK, handler.QueryInterface(__uuidof(IUnknown), &object));
    EXPECT_EQ(static_cast<void*>(static_cast<IUnknown*>(&handler)), object);
    EXPECT_EQ(2, handler.Count());
    EXPECT_EQ(S_OK, handler.QueryInterface(own, &object));
    EXPECT_EQ(3, handler.Count());
    for (const IID& iid : others) {
        object = &handler;
        EXPECT_EQ(E_NOINTERFACE, handler.QueryInterface(iid, &object));
        EXPECT_EQ(nullptr, object);
    }
    EXPECT_EQ(2u, handler.Release());
    EXPECT_EQ(1u, handler.Release());
    // The object is not freed at zero: the platform's last release leaves it usable.
    EXPECT_EQ(0u, handler.Release());
    EXPECT_EQ(1u, handler.AddRef());
}

const IID kAgileObject = {0x94ea2b94, 0xe9cc, 0x49e0, {0xc0, 0xff, 0xee, 0x64, 0xca, 0x8f, 0x5b, 0x90}};
const IID kMarshal = {0x00000003, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

TEST_F(HandlerObjects, QueryInterfaceAnswersIUnknownAndTheirOwnDelegateOnly)
{
    const IID inspectable = __uuidof(IInspectable);
    const IID arrivedIid = __uuidof(sdk::IDeviceArrivedEventHandler);
    const IID departedIid = __uuidof(sdk::IDeviceDepartedEventHandler);
    const IID receivedIid = __uuidof(sdk::IMessageReceivedHandler);
    const IID transmittedIid = __uuidof(sdk::IMessageTransmittedHandler);
    const IID messageIid = __uuidof(sdk::IProximityMessage);
    ExpectAnswersExactly(context.arrived, arrivedIid, {departedIid, inspectable, kAgileObject, kMarshal});
    ExpectAnswersExactly(context.departed, departedIid, {arrivedIid, inspectable, kAgileObject, kMarshal});
    ExpectAnswersExactly(context.received, receivedIid, {messageIid, transmittedIid, kAgileObject, kMarshal});
    ExpectAnswersExactly(context.receivedEx, receivedIid, {messageIid, transmittedIid, kAgileObject, kMarshal});
    ExpectAnswersExactly(context.transmitted, transmittedIid, {receivedIid, inspectable, kAgileObject, kMarshal});
}

TEST_F(HandlerObjects, ReceivedHandlersRejectANullMessage)
{
    EXPECT_EQ(E_FAIL, context.received.Invoke(nullptr, nullptr));
    EXPECT_EQ(E_FAIL, context.receivedEx.Invoke(nullptr, nullptr));
}

TEST(NfcManagerWithoutDevice, PublishAndRecordsNeedADevice)
{
    UsageUser usage;
    CNFCManager manager(usage);
    EXPECT_FALSE(manager.PublishHex(L"NDEF", L"01ab"));
    EXPECT_FALSE(manager.PublishHex(L"", L"01ab"));
    manager.AddRecord(L"NDEF", nullptr, L"C:\\x.exe", 3);
    EXPECT_EQ(0u, manager.RecordCount());
    std::wstring path = L"stale";
    EXPECT_FALSE(manager.FindApplicationPath(L"NDEF", path));
    EXPECT_TRUE(path.empty());
    manager.Close();
}

}  // namespace
