// The NFC manager linked into the test, talking to the stand-in radio in
// this process and reading NFCDB in the prefix's registry.
#include <gtest/gtest.h>
#include <roapi.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <climits>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

#include "nfc/nfc_manager.h"
#include "nfc/nfc_registry.h"
#include "nfc_test_world.h"
#include "support/armed_fault.h"
#include "support/process.h"
#include "usage_stats.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::test;

namespace {

// The agent's threads live in the multithreaded apartment; so does this test.
class RuntimeEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ::RoInitialize(RO_INIT_MULTITHREADED); }
};
const auto* const runtime = ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment);

long TouchHere(const std::string& messageHex)
{
    const std::string reply = sim::SendRadioRequest(::GetCurrentProcessId(), TouchRequest(messageHex));
    return reply.rfind("ok ", 0) == 0 ? std::strtol(reply.c_str() + 3, nullptr, 10) : -1;
}

long TouchHere(const std::wstring& type, const std::string& payloadHex)
{
    return TouchHere(TagMessage(type, payloadHex));
}

// What the handler of an NDEF type is started with: the whole message.
std::wstring Whole(const std::wstring& type, const std::string& payloadHex)
{
    return sim::FromUtf8(TagMessage(type, payloadHex));
}

long RequestHere(const char* request)
{
    const std::string reply = sim::SendRadioRequest(::GetCurrentProcessId(), request);
    return reply.rfind("ok ", 0) == 0 ? std::strtol(reply.c_str() + 3, nullptr, 10) : -1;
}

class NfcWorld : public ::testing::Test {
protected:
    void SetUp() override
    {
        FreshNfcWorld(true);
    }
    void TearDown() override
    {
        manager.Close();
        census.ExpectNothingLeftAlive();
        ClearRegistrations();
        ResetRadio();
    }
    bool Open() { return manager.OpenDevice(); }

    RadioCensusBaseline census;
    UsageUser usage;
    CNFCManager manager{usage};
};

// --- Reading NFCDB -------------------------------------------------------

TEST_F(NfcWorld, EmptyOrMissingKeyGivesNoRegistrationsAndNothingSubscribed)
{
    NFCRegistrationList list;
    EXPECT_FALSE(ReadRegistrations(list));
    CreateNfcdb();
    EXPECT_FALSE(ReadRegistrations(list));
    ASSERT_TRUE(Open());
    EXPECT_FALSE(manager.SubscribeAll());
    EXPECT_EQ(0, CountPrefix(RadioRecords(sim::kNfcSubscriptionsFile), L"subscribe"));
}

TEST_F(NfcWorld, OneIncompleteSubkeyMakesTheWholeReadEmpty)
{
    Register(L"A", L"NDEF:ext.a", kRecorder);
    Register(L"B", L"NDEF:ext.b", kRecorder, /*withVersion=*/false);
    Register(L"C", L"NDEF:ext.c", kRecorder);
    NFCRegistrationList list;
    EXPECT_FALSE(ReadRegistrations(list));
    EXPECT_TRUE(list.empty());

    Register(L"B", L"NDEF:ext.b", kRecorder);
    ASSERT_TRUE(ReadRegistrations(list));
    ASSERT_EQ(3u, list.size());
    EXPECT_EQ(L"NDEF:ext.a", list[0].messageType);
    EXPECT_EQ(L"NDEF:ext.c", list[2].messageType);
}

TEST_F(NfcWorld, ValuesOfAnyTypeAreReadAsTextUpToTheirFirstNul)
{
    unique_hkey key;
    const std::wstring name = std::wstring(kNfcdbKey) + L"\\Odd";
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                               nullptr, key.put(), nullptr));
    const wchar_t path[] = L"%SystemDrive%\\x.exe\0tail";
    ::RegSetValueExW(key.get(), L"ApplicationPath", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path),
                     sizeof(path));
    // Stored without a terminator.
    const wchar_t type[] = {L'N', L'D', L'E', L'F'};
    ::RegSetValueExW(key.get(), L"MessageType", 0, REG_BINARY, reinterpret_cast<const BYTE*>(type), sizeof(type));
    const DWORD version = 3;
    ::RegSetValueExW(key.get(), L"Version", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&version), sizeof(version));

    NFCRegistrationList list;
    ASSERT_TRUE(ReadRegistrations(list));
    ASSERT_EQ(1u, list.size());
    EXPECT_EQ(L"NDEF", list[0].messageType);
    EXPECT_EQ(L"%SystemDrive%\\x.exe", list[0].applicationPath);
}

TEST_F(NfcWorld, HundredsOfSubkeysAreAllRead)
{
    for (int i = 0; i < 300; ++i)
        Register(L"Handler" + std::to_wstring(i), L"NDEF:ext.n" + std::to_wstring(i), kRecorder);
    NFCRegistrationList list;
    ASSERT_TRUE(ReadRegistrations(list));
    EXPECT_EQ(300u, list.size());
}

// --- The subscription table ----------------------------------------------

TEST_F(NfcWorld, WithoutARadioNothingIsSubscribed)
{
    SetRadioPresent(false);
    Register(L"A", L"NDEF", kRecorder);
    EXPECT_FALSE(Open());
    EXPECT_FALSE(manager.SubscribeAll());
    EXPECT_EQ(1u, manager.RegistrationCount());
    EXPECT_EQ(0u, manager.RecordCount());
}

TEST_F(NfcWorld, SameTypeTwiceIsSubscribedTwiceButTheFirstRegistrationAnswers)
{
    Register(L"1First", L"NDEF:ext.same", L"C:\\first.exe");
    Register(L"2Second", L"NDEF:ext.same", L"C:\\second.exe");
    Register(L"3Case", L"NDEF:ext.SAME", L"C:\\case.exe");
    Register(L"4Empty", L"", L"C:\\empty.exe");
    ASSERT_TRUE(Open());
    ASSERT_TRUE(manager.SubscribeAll());
    EXPECT_EQ(2, ActiveSubscriptions(L"NDEF:ext.same"));
    EXPECT_EQ(1, ActiveSubscriptions(L"NDEF:ext.SAME"));
    EXPECT_EQ(2u, manager.RecordCount());
    EXPECT_EQ(4u, manager.RegistrationCount());
    std::wstring path;
    ASSERT_TRUE(manager.FindApplicationPath(L"NDEF:ext.same", path));
    EXPECT_EQ(L"C:\\first.exe", path);
    ASSERT_TRUE(manager.FindApplicationPath(L"NDEF:ext.SAME", path));
    EXPECT_EQ(L"C:\\case.exe", path);
    EXPECT_FALSE(manager.FindApplicationPath(L"Ndef:ext.same", path));

    // Close ends what the table records; the unrecorded duplicate stays with the device.
    manager.Close();
    EXPECT_EQ(1, ActiveSubscriptions(L"NDEF:ext.same"));
    EXPECT_EQ(0, ActiveSubscriptions(L"NDEF:ext.SAME"));
}

// --- Answering touches ---------------------------------------------------

class NfcAnswer : public NfcWorld {
protected:
    void Start(const std::wstring& type, const std::wstring& path)
    {
        Register(L"Handler", type, path);
        ASSERT_TRUE(Open());
        ASSERT_TRUE(manager.SubscribeAll());
    }
};

using Starts = std::vector<std::wstring>;

struct TouchCase {
    const wchar_t* type;
    std::string message;
    std::wstring expected;  // empty: the whole message
};

class NfcTouch : public NfcAnswer, public ::testing::WithParamInterface<TouchCase> {};

TEST_P(NfcTouch, HandlerGetsExactlyTheSpecifiedParameterString)
{
    Start(GetParam().type, kRecorder);
    EXPECT_EQ(1, TouchHere(GetParam().message));
    ASSERT_TRUE(WaitForRecorders());
    const std::wstring expected =
        GetParam().expected.empty() ? sim::FromUtf8(GetParam().message) : GetParam().expected;
    EXPECT_EQ(Starts{L"nfc-recorder.exe\t" + expected}, HandlerStarts());
}

INSTANTIATE_TEST_SUITE_P(
    Messages, NfcTouch,
    ::testing::Values(TouchCase{L"NDEF", TagMessage(L"NDEF", "01ab"), L""},
                      TouchCase{L"NDEF:ext.vexa", TagMessage(L"NDEF:ext.vexa", "d1010b55"), L""},
                      // A later record is carried along, never split off.
                      TouchCase{L"NDEF:Unknown", TagMessage(L"NDEF:Unknown", "00ff7f").replace(0, 2, "95") +
                                                     TagMessage(L"NDEF:MIME.application/vnd.wfa.wsc", "1026")
                                                         .replace(0, 2, "52"),
                                L""},
                      // "a b" as UTF-16LE: a Windows type gets the string, blanks and all.
                      TouchCase{L"Windows.Vexa", TagMessage(L"Windows.Vexa", "61002000620020002200"), L"a b \""},
                      // The text ends at an embedded NUL: a URI record's "hi", NUL, "x".
                      TouchCase{L"WindowsUri", "d10105" "5500686900" "78", L"hi"}));

TEST_F(NfcAnswer, EnvironmentReferencesInThePathAreExpanded)
{
    Start(L"NDEF", L"%SystemDrive%\\tapdeck-sim\\bin\\nfc-recorder.exe");
    EXPECT_EQ(1, TouchHere(L"NDEF", "0a0b"));
    ASSERT_TRUE(WaitForRecorders());
    EXPECT_EQ(Starts{L"nfc-recorder.exe\t" + Whole(L"NDEF", "0a0b")}, HandlerStarts());
}

TEST_F(NfcAnswer, MissingOrUnexpandableApplicationStartsNothing)
{
    Register(L"A", L"NDEF:ext.missing", kMissingHandler);
    Register(L"B", L"NDEF:ext.nothing", L"%TAPDECK_NO_SUCH_VARIABLE_AT_ALL%");
    Register(L"C", L"NDEF:ext.control", kRecorder);
    ASSERT_TRUE(Open());
    ASSERT_TRUE(manager.SubscribeAll());
    EXPECT_EQ(1, TouchHere(L"NDEF:ext.missing", "01"));
    EXPECT_EQ(1, TouchHere(L"NDEF:ext.nothing", "02"));
    EXPECT_EQ(0, TouchHere(L"NDEF:ext.unregistered", "03"));
    EXPECT_EQ(1, TouchHere(L"NDEF:ext.control", "04"));
    ASSERT_TRUE(WaitForRecorders());
    EXPECT_EQ(Starts{L"nfc-recorder.exe\t" + Whole(L"NDEF:ext.control", "04")}, HandlerStarts());
}

// An NDEF message is never empty; a Windows message's text can be.
TEST_F(NfcAnswer, EmptyDataStartsNothing)
{
    Start(L"Windows.Vexa", kRecorder);
    EXPECT_EQ(1, TouchHere(L"Windows.Vexa", ""));
    EXPECT_EQ(1, TouchHere(L"Windows.Vexa", Utf16Hex(L"ff")));
    ASSERT_TRUE(WaitForRecorders());
    EXPECT_EQ(Starts{L"nfc-recorder.exe\tff"}, HandlerStarts());
}

// --- The registry watch --------------------------------------------------

class NfcWatch : public NfcAnswer {
protected:
    void StartWith(std::initializer_list<const wchar_t*> types)
    {
        for (const wchar_t* type : types) Register(std::wstring(L"K-") + type, type, kRecorder);
        ASSERT_TRUE(Open());
        ASSERT_TRUE(manager.SubscribeAll());
    }
    // What the watch does after a change, done here: the state just written
    // is then certainly the one reconciled, however late the watch comes.
    void Reconcile() { CNFCManager::OnRegistryChanged(&manager); }
    std::wstring PathOf(const wchar_t* type)
    {
        std::wstring path;
        manager.FindApplicationPath(type, path);
        return path;
    }
};

TEST_F(NfcWatch, RegistrationAddedWhileRunningIsSubscribedOnceItsValuesAreWritten)
{
    StartWith({L"NDEF:ext.one"});
    // The installer's order: the subkey first, its values one by one after.
    unique_hkey key;
    const std::wstring name = std::wstring(kNfcdbKey) + L"\\K-NDEF:ext.two";
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    SetString(key.get(), L"ApplicationPath", kRecorder);
    SetString(key.get(), L"MessageType", L"NDEF:ext.two");
    Reconcile();
    EXPECT_EQ(1u, manager.RecordCount());
    EXPECT_EQ(0, ActiveSubscriptions(L"NDEF:ext.two"));
    SetString(key.get(), L"Version", L"1");
    ASSERT_TRUE(WaitUntil([&] { return manager.RecordCount() == 2; }, 5s));
    EXPECT_EQ(1, ActiveSubscriptions(L"NDEF:ext.two"));
    EXPECT_EQ(1, TouchHere(L"NDEF:ext.two", "2222"));
    ASSERT_TRUE(WaitForRecorders());
    EXPECT_EQ(Starts{L"nfc-recorder.exe\t" + Whole(L"NDEF:ext.two", "2222")}, HandlerStarts());
}

TEST_F(NfcWatch, TwoAddedAtOnceSubscribeOnlyTheFirstAndLaterChangesLeaveTheSecondOut)
{
    StartWith({L"NDEF:ext.one"});
    Register(L"Pending", L"Windows.PendingNothing", kRecorder, /*withVersion=*/false);
    Register(L"K-NDEF:ext.a", L"NDEF:ext.a", kRecorder);
    Register(L"K-NDEF:ext.b", L"NDEF:ext.b", kRecorder);
    Register(L"Pending", L"Windows.PendingNothing", kRecorder);
    ASSERT_TRUE(WaitUntil([&] { return manager.RegistrationCount() == 4; }, 5s));
    EXPECT_EQ(2u, manager.RecordCount());
    // A change of equal count, then one of fewer: neither picks "NDEF:ext.b" up.
    Register(L"K-NDEF:ext.b", L"NDEF:ext.b", L"C:\\b.exe");
    Reconcile();
    Unregister(L"K-NDEF:ext.one");
    ASSERT_TRUE(WaitUntil([&] { return manager.RecordCount() == 1; }, 5s));
    EXPECT_EQ(0, ActiveSubscriptions(L"NDEF:ext.one"));
    EXPECT_EQ(1, ActiveSubscriptions(L"NDEF:ext.a"));
    EXPECT_EQ(0, ActiveSubscriptions(L"NDEF:ext.b"));
}

// The added registration is not counted either: a later change of its type
// still counts as an addition.
TEST_F(NfcWatch, AddedRegistrationOfARecordedTypeSubscribesNothing)
{
    StartWith({L"NDEF:ext.one"});
    Register(L"K-Again", L"NDEF:ext.one", L"C:\\again.exe");
    Reconcile();
    EXPECT_EQ(1, ActiveSubscriptions(L"NDEF:ext.one"));
    EXPECT_EQ(kRecorder, PathOf(L"NDEF:ext.one"));
    EXPECT_EQ(1u, manager.RegistrationCount());

    Register(L"K-Again", L"NDEF:ext.later", kRecorder);
    ASSERT_TRUE(WaitUntil([&] { return ActiveSubscriptions(L"NDEF:ext.later") == 1; }, 5s));
    EXPECT_EQ(1, ActiveSubscriptions(L"NDEF:ext.one"));
}

// A registration whose subscription the radio refused has no record but is
// counted, so one added later with the same type takes the record.
TEST_F(NfcWatch, RefusedTypeIsLeftToALaterRegistration)
{
    sim::WriteStateFile(sim::kNfcArea, sim::kNfcRefuseFile, L"NDEF:ext.late");
    Register(L"K-1Refused", L"NDEF:ext.late", L"C:\\refused.exe");
    StartWith({L"NDEF:ext.one"});
    EXPECT_EQ(2u, manager.RegistrationCount());
    EXPECT_EQ(1u, manager.RecordCount());

    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcRefuseFile);
    Register(L"K-0Later", L"NDEF:ext.late", kRecorder);
    ASSERT_TRUE(WaitUntil([&] { return manager.RecordCount() == 2; }, 5s));
    EXPECT_EQ(1, ActiveSubscriptions(L"NDEF:ext.late"));
    EXPECT_EQ(kRecorder, PathOf(L"NDEF:ext.late"));
}

TEST_F(NfcWatch, RemovedRegistrationIsUnsubscribedButTheLastOneStays)
{
    StartWith({L"NDEF:ext.one", L"NDEF:ext.two"});
    Unregister(L"K-NDEF:ext.two");
    ASSERT_TRUE(WaitUntil([&] { return manager.RecordCount() == 1; }, 5s));
    EXPECT_EQ(0, ActiveSubscriptions(L"NDEF:ext.two"));
    EXPECT_EQ(0, TouchHere(L"NDEF:ext.two", "02"));

    Unregister(L"K-NDEF:ext.one");
    Reconcile();
    EXPECT_EQ(1, ActiveSubscriptions(L"NDEF:ext.one"));
    EXPECT_EQ(1u, manager.RecordCount());
}

// A remaining type that differs only in case keeps a removed one counted.
TEST_F(NfcWatch, RemovalMatchesTypesWithoutRegardToCase)
{
    Register(L"Upper", L"NDEF:ext.CASE", kRecorder);
    StartWith({L"NDEF:ext.case", L"NDEF:ext.other"});
    ASSERT_EQ(3u, manager.RecordCount());
    Unregister(L"Upper");
    Reconcile();
    EXPECT_EQ(1, ActiveSubscriptions(L"NDEF:ext.CASE"));
    EXPECT_EQ(3u, manager.RegistrationCount());

    // Still three counted: the next removal is "NDEF:ext.other"'s.
    Unregister(L"K-NDEF:ext.other");
    ASSERT_TRUE(WaitUntil([&] { return ActiveSubscriptions(L"NDEF:ext.other") == 0; }, 5s));
    EXPECT_EQ(1, ActiveSubscriptions(L"NDEF:ext.CASE"));
    EXPECT_EQ(1, ActiveSubscriptions(L"NDEF:ext.case"));
}

TEST_F(NfcWatch, ChangedPathWithEqualCountHasNoEffectUntilRestart)
{
    StartWith({L"NDEF:ext.one"});
    Register(L"K-NDEF:ext.one", L"NDEF:ext.one", L"C:\\elsewhere.exe");
    Reconcile();
    EXPECT_EQ(kRecorder, PathOf(L"NDEF:ext.one"));
}

TEST_F(NfcWatch, DeletedKeyEndsNothingElse)
{
    StartWith({L"NDEF:ext.one"});
    ClearRegistrations();
    Reconcile();
    EXPECT_EQ(1u, manager.RecordCount());
    EXPECT_EQ(1, TouchHere(L"NDEF:ext.one", "01"));
    ASSERT_TRUE(WaitForRecorders());
    EXPECT_EQ(Starts{L"nfc-recorder.exe\t" + Whole(L"NDEF:ext.one", "01")}, HandlerStarts());
}

// --- Publishing ------------------------------------------------------------

class NfcPublish : public NfcWorld {
protected:
    void SetUp() override
    {
        NfcWorld::SetUp();
        Register(L"A", L"NDEF", kRecorder);
        ASSERT_TRUE(Open());
        ASSERT_TRUE(manager.SubscribeAll());
    }
};

TEST_F(NfcPublish, PublishedBytesAreWithdrawnOnceAPeerReadsThem)
{
    ASSERT_TRUE(manager.PublishHex(L"NDEF", L"D10101AB"));
    const INT64 id = manager.PublishedMessageId();
    ASSERT_NE(-1, id);
    EXPECT_EQ(L"publish\t" + std::to_wstring(id) + L"\tNDEF\td10101ab", RadioRecords(sim::kNfcPublishedFile).back());
    // Messages whose id an earlier test overwrote are still out there: at least ours.
    EXPECT_GE(RequestHere("transmit"), 1);
    EXPECT_EQ(-1, manager.PublishedMessageId());
    EXPECT_EQ(L"withdraw\t" + std::to_wstring(id), RadioRecords(sim::kNfcPublishedFile).back());
    EXPECT_EQ(1, RequestHere("depart"));
    EXPECT_EQ(1, CountPrefix(RadioRecords(sim::kNfcPublishedFile), L"withdraw"));
}

// Once nothing is published, neither a departure nor the transmission of
// a message whose id was overwritten asks the radio to stop anything.
TEST_F(NfcPublish, DepartureWithdrawsOnceAndLaterReportsStopNothing)
{
    ASSERT_TRUE(manager.PublishHex(L"NDEF", L"00"));
    ASSERT_TRUE(manager.PublishHex(L"NDEF", L"01"));
    EXPECT_EQ(1, RequestHere("depart"));
    EXPECT_EQ(-1, manager.PublishedMessageId());
    EXPECT_EQ(1, RequestHere("depart"));
    EXPECT_GE(RequestHere("transmit"), 1);
    const auto records = RadioRecords(sim::kNfcPublishedFile);
    EXPECT_EQ(1, CountPrefix(records, L"withdraw"));
    EXPECT_EQ(0, CountPrefix(records, L"unknown-withdraw"));
}

class NfcBadHex : public NfcPublish, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(NfcBadHex, IsRejectedAndNothingIsPublished)
{
    ASSERT_TRUE(manager.PublishHex(L"NDEF", L"00"));
    EXPECT_FALSE(manager.PublishHex(L"NDEF", GetParam()));
    EXPECT_EQ(-1, manager.PublishedMessageId());
    EXPECT_EQ(1, CountPrefix(RadioRecords(sim::kNfcPublishedFile), L"publish"));
}

INSTANTIATE_TEST_SUITE_P(Texts, NfcBadHex, ::testing::Values(L"abc", L"0g", L"01 ab", L"zz", L"\u00e9\u00e9"));

TEST_F(NfcPublish, TwoPublicationsKeepOnlyTheSecondId)
{
    ASSERT_TRUE(manager.PublishHex(L"NDEF", L"01"));
    const INT64 first = manager.PublishedMessageId();
    ASSERT_TRUE(manager.PublishHex(L"NDEF", L"02"));
    const INT64 second = manager.PublishedMessageId();
    // A peer that read only the first has not had the second.
    EXPECT_EQ(1, RequestHere(("transmit\t" + std::to_string(first)).c_str()));
    EXPECT_EQ(second, manager.PublishedMessageId());
    EXPECT_EQ(0, CountPrefix(RadioRecords(sim::kNfcPublishedFile), L"withdraw"));
    EXPECT_GE(RequestHere("transmit"), 2);
    const auto records = RadioRecords(sim::kNfcPublishedFile);
    EXPECT_EQ(1, CountPrefix(records, L"withdraw"));
    EXPECT_EQ(L"withdraw\t" + std::to_wstring(second), records.back());
}

// "NDEF:WriteTag" goes to a writable static tag only, never to a peer; the
// newest that fits is written and reported transmitted, and a written tag
// is not read for anyone. "WriteableTag" hears each writable tag's capacity
// as a little-endian int32, through the binary handler of a type that is
// neither NDEF nor Windows.
struct TagCase {
    const wchar_t* kind;
    unsigned capacity;
    bool placedFirst;  // the tag is on the reader before the publication
    bool written;
};

class NfcTagWrite : public NfcWorld, public ::testing::WithParamInterface<TagCase> {};

TEST_P(NfcTagWrite, OnlyAWritableTagThatFitsIsWritten)
{
    const TagCase& tag = GetParam();
    const std::wstring wsc = L"NDEF:MIME.application/vnd.wfa.wsc";
    Register(L"A", L"WriteableTag", kRecorder);
    Register(L"B", wsc, kRecorder);
    ASSERT_TRUE(Open());
    ASSERT_TRUE(manager.SubscribeAll());
    const std::string before = TagMessage(wsc, "00");
    const std::string message = TagMessage(wsc, "104a000110" "100e0005102600010100");
    const bool writable = std::wstring(tag.kind) == L"writable";
    const std::wstring state = writable ? L"writable " + std::to_wstring(tag.capacity) : std::wstring(L"read-only");
    const auto place = [&] {
        ASSERT_TRUE(sim::WriteStateFile(sim::kNfcArea, sim::kNfcTagFile, state + L" " + sim::FromUtf8(before)));
    };
    if (tag.placedFirst) place();
    ASSERT_TRUE(manager.PublishHex(L"NDEF:WriteTag", sim::FromUtf8(message)));
    // Earlier tests leave publications in this process's radio: count this one's lines.
    const std::wstring id = L"\t" + std::to_wstring(manager.PublishedMessageId());
    const auto lines = [&](const wchar_t* what) {
        const auto records = RadioRecords(sim::kNfcPublishedFile);
        return std::count(records.begin(), records.end(), what + id);
    };
    RequestHere("transmit");
    if (!tag.placedFirst) {
        place();
        RequestHere("tag");
    }
    if (tag.written) {
        ASSERT_TRUE(WaitUntil([&] { return lines(L"withdraw") == 1; }, 5s));
    }
    ASSERT_TRUE(WaitForRecorders());

    EXPECT_EQ(tag.written ? 1 : 0, CountPrefix(RadioRecords(sim::kNfcPublishedFile), L"written" + id + L"\t"));
    EXPECT_EQ(tag.written ? 1 : 0, lines(L"withdraw"));
    EXPECT_EQ(0, lines(L"transmitted"));
    EXPECT_EQ(state + L" " + sim::FromUtf8(tag.written ? message : before),
              sim::ReadStateFile(sim::kNfcArea, sim::kNfcTagFile));
    Starts expected;
    char size[9];
    std::snprintf(size, sizeof(size), "%02x%02x0000", tag.capacity & 0xff, tag.capacity >> 8);
    if (writable && !tag.placedFirst) expected.push_back(L"nfc-recorder.exe\t" + sim::FromUtf8(size));
    if (!tag.written && !tag.placedFirst) expected.push_back(L"nfc-recorder.exe\t" + sim::FromUtf8(before));
    auto starts = HandlerStarts();
    std::sort(starts.begin(), starts.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, starts);
}

INSTANTIATE_TEST_SUITE_P(Tags, NfcTagWrite,
                         ::testing::Values(TagCase{L"writable", 300, false, true}, TagCase{L"writable", 41, true, true},
                                           TagCase{L"writable", 40, false, false},
                                           TagCase{L"read-only", 0, false, false}));

TEST_F(NfcPublish, CloseWithdrawsAMessageStillPublished)
{
    ASSERT_TRUE(manager.PublishHex(L"NDEF", L"0102"));
    const INT64 id = manager.PublishedMessageId();
    manager.Close();
    EXPECT_EQ(L"withdraw\t" + std::to_wstring(id), RadioRecords(sim::kNfcPublishedFile).back());
    EXPECT_EQ(-1, manager.PublishedMessageId());
}

// --- Radio failures ----------------------------------------------------------

// Each call of the radio that the manager makes, failed once: what the
// manager must do about it, and that it does the usual thing again once the
// radio works. "NDEF:ext.vexa" and "Windows.Vexa" are registered; the failure is
// armed before the device is opened, before it is subscribed, or after.
enum class Armed { BeforeOpen, BeforeSubscribe, AfterSubscribe };

struct RadioFailure {
    const wchar_t* call;
    Armed armed;
    void (*check)(CNFCManager& manager);
};

class NfcRadioFailure : public NfcWorld, public ::testing::WithParamInterface<RadioFailure> {
protected:
    void SetUp() override
    {
        NfcWorld::SetUp();
        // "NDEF" itself would receive the Windows message too.
        Register(L"A", L"NDEF:ext.vexa", kRecorder);
        Register(L"B", L"Windows.Vexa", kRecorder);
    }
};

void ExpectTouchDroppedOnce(const wchar_t* type, const std::string& payloadHex, const std::wstring& started)
{
    const std::string hex = TagMessage(type, payloadHex);
    EXPECT_EQ(1, TouchHere(hex));
    ASSERT_TRUE(WaitForRecorders());
    EXPECT_TRUE(HandlerStarts().empty()) << "a failed read still started the handler";
    EXPECT_EQ(1, TouchHere(hex));
    ASSERT_TRUE(WaitForRecorders());
    EXPECT_EQ(Starts{L"nfc-recorder.exe\t" + started}, HandlerStarts());
}

TEST_P(NfcRadioFailure, IsHandledAsTheProductDescribes)
{
    const RadioFailure& failure = GetParam();
    std::optional<ArmedFault> fault;
    const auto arm = [&](Armed when) {
        if (failure.armed == when) {
            fault.emplace(failure.call, E_FAIL, 1);
            ASSERT_TRUE(fault->Armed());
        }
    };
    arm(Armed::BeforeOpen);
    if (failure.armed != Armed::BeforeOpen) {
        ASSERT_TRUE(manager.OpenDevice());
        arm(Armed::BeforeSubscribe);
        ASSERT_TRUE(manager.SubscribeAll());
        arm(Armed::AfterSubscribe);
    }
    failure.check(manager);
    ASSERT_TRUE(fault);
    EXPECT_EQ(1u, fault->Made()) << "the failure was not reached, or more than once";
}

INSTANTIATE_TEST_SUITE_P(
    Calls, NfcRadioFailure,
    ::testing::Values(
        // No device: nothing opened, nothing subscribed; the next try opens it.
        RadioFailure{L"GetDefault", Armed::BeforeOpen,
                     [](CNFCManager& m) {
                         EXPECT_FALSE(m.OpenDevice());
                         EXPECT_FALSE(m.SubscribeAll());
                         EXPECT_EQ(0, ActiveSubscriptions(L"NDEF:ext.vexa"));
                         EXPECT_TRUE(m.OpenDevice());
                     }},
        // A refused subscription leaves no record, but the registration counts.
        RadioFailure{L"SubscribeForMessage", Armed::BeforeSubscribe,
                     [](CNFCManager& m) {
                         EXPECT_EQ(2u, m.RegistrationCount());
                         EXPECT_EQ(1u, m.RecordCount());
                         EXPECT_EQ(0, ActiveSubscriptions(L"NDEF:ext.vexa"));
                         EXPECT_EQ(0, TouchHere(L"NDEF:ext.vexa", "01"));
                         EXPECT_EQ(1, ActiveSubscriptions(L"Windows.Vexa"));
                     }},
        // A stop that fails keeps the record and the subscription; the
        // registration itself is gone.
        RadioFailure{L"StopSubscribingForMessage", Armed::AfterSubscribe,
                     [](CNFCManager& m) {
                         Unregister(L"B");
                         ASSERT_TRUE(WaitUntil([&] { return m.RegistrationCount() == 1; }, 5s));
                         EXPECT_EQ(2u, m.RecordCount());
                         EXPECT_EQ(1, ActiveSubscriptions(L"Windows.Vexa"));
                     }},
        RadioFailure{L"PublishBinaryMessage", Armed::AfterSubscribe,
                     [](CNFCManager& m) {
                         EXPECT_FALSE(m.PublishHex(L"NDEF", L"d101"));
                         EXPECT_EQ(-1, m.PublishedMessageId());
                         EXPECT_EQ(0, CountPrefix(RadioRecords(sim::kNfcPublishedFile), L"publish"));
                     }},
        RadioFailure{L"DecodeFromHexString", Armed::AfterSubscribe,
                     [](CNFCManager& m) {
                         EXPECT_FALSE(m.PublishHex(L"NDEF", L"d101"));
                         EXPECT_EQ(-1, m.PublishedMessageId());
                         EXPECT_EQ(0, CountPrefix(RadioRecords(sim::kNfcPublishedFile), L"publish"));
                     }},
        // The id stays, so that the next report withdraws the message.
        RadioFailure{L"StopPublishingMessage", Armed::AfterSubscribe,
                     [](CNFCManager& m) {
                         ASSERT_TRUE(m.PublishHex(L"NDEF", L"d101"));
                         const INT64 id = m.PublishedMessageId();
                         EXPECT_GE(RequestHere("transmit"), 1);
                         EXPECT_EQ(id, m.PublishedMessageId());
                         EXPECT_EQ(1, RequestHere("depart"));
                         EXPECT_EQ(-1, m.PublishedMessageId());
                         EXPECT_EQ(L"withdraw\t" + std::to_wstring(id), RadioRecords(sim::kNfcPublishedFile).back());
                     }},
        // A message that cannot be read is dropped without a trace.
        RadioFailure{L"ProximityMessage.Data", Armed::AfterSubscribe,
                     [](CNFCManager&) {
                         ExpectTouchDroppedOnce(L"NDEF:ext.vexa", "0a0b", Whole(L"NDEF:ext.vexa", "0a0b"));
                     }},
        RadioFailure{L"EncodeToHexString", Armed::AfterSubscribe,
                     [](CNFCManager&) {
                         ExpectTouchDroppedOnce(L"NDEF:ext.vexa", "0a0b", Whole(L"NDEF:ext.vexa", "0a0b"));
                     }},
        RadioFailure{L"ProximityMessage.MessageType", Armed::AfterSubscribe,
                     [](CNFCManager&) {
                         ExpectTouchDroppedOnce(L"NDEF:ext.vexa", "0a0b", Whole(L"NDEF:ext.vexa", "0a0b"));
                     }},
        RadioFailure{L"ProximityMessage.DataAsString", Armed::AfterSubscribe,
                     [](CNFCManager&) { ExpectTouchDroppedOnce(L"Windows.Vexa", Utf16Hex(L"hi"), L"hi"); }}),
    [](const ::testing::TestParamInfo<RadioFailure>& info) {
        std::string name;
        for (const wchar_t* c = info.param.call; *c; ++c) name += std::isalnum(*c) ? static_cast<char>(*c) : '_';
        return name;
    });

// What the radio still holds after a manager has ended: the message whose
// id a second publication overwrote, and the duplicate subscription that no
// record stops. Their late calls reach nothing that was freed.
TEST_F(NfcWorld, HandlersTheRadioStillHoldsAreHarmlessAfterTheManagerEnds)
{
    Register(L"1First", L"NDEF:ext.dup", kRecorder);
    Register(L"2Second", L"NDEF:ext.dup", kRecorder);
    {
        UsageUser otherUsage;
        CNFCManager other(otherUsage);
        ASSERT_TRUE(other.OpenDevice());
        ASSERT_TRUE(other.SubscribeAll());
        ASSERT_TRUE(other.PublishHex(L"NDEF", L"01"));
        ASSERT_TRUE(other.PublishHex(L"NDEF", L"02"));
        other.Close();
    }
    EXPECT_EQ(1, ActiveSubscriptions(L"NDEF:ext.dup"));
    // Other blocks now take the freed memory's place.
    std::vector<std::unique_ptr<CNFCManager>> reuse;
    for (int i = 0; i < 8; ++i) reuse.push_back(std::make_unique<CNFCManager>(usage));
    EXPECT_GE(RequestHere("transmit"), 1);
    EXPECT_GE(TouchHere(L"NDEF:ext.dup", "01"), 1);
    EXPECT_EQ(1, CountPrefix(RadioRecords(sim::kNfcPublishedFile), L"withdraw"));
    ASSERT_TRUE(WaitForRecorders());
    EXPECT_TRUE(HandlerStarts().empty());
}

// --- Shutdown under load ---------------------------------------------------

TEST_F(NfcWorld, CloseWhileRadioThreadsDeliverNeverStartsAHandlerAfterwards)
{
    Register(L"A", L"NDEF", kRecorder);
    ASSERT_TRUE(Open());
    ASSERT_TRUE(manager.SubscribeAll());
    std::atomic<bool> stop{false};
    std::vector<std::thread> radios;
    for (int i = 0; i < 4; ++i) {
        radios.emplace_back([&] {
            while (!stop) {
                RequestHere("arrive");
                RequestHere("depart");
            }
        });
    }
    for (int i = 0; i < 3; ++i)
        Register(L"Extra" + std::to_wstring(i), L"NDEF:ext.extra" + std::to_wstring(i), kRecorder);
    // The watch takes them in while the radio threads deliver.
    EXPECT_TRUE(WaitUntil([&] { return manager.RegistrationCount() == 4; }, 5s));
    manager.Close();
    ClearHandlerStarts();
    EXPECT_EQ(0, TouchHere(L"NDEF", "01"));
    stop = true;
    for (auto& radio : radios) radio.join();
    ASSERT_TRUE(WaitForRecorders());
    EXPECT_TRUE(HandlerStarts().empty());
}

}  // namespace

namespace {

// A storm: radio threads touch without pause, most touches of types that
// start nothing, one in 64 of the recorder's type, while registrations come
// and go and the manager is closed in the middle of it.
TEST_F(NfcWorld, TouchStormWhileRegistrationsChangeAndTheManagerCloses)
{
    const std::wstring missing = kMissingHandler;
    Register(L"A", L"NDEF:ext.storm", kRecorder);
    Register(L"B", L"NDEF:ext.storm.missing", missing);
    Register(L"C", L"Windows.Storm", missing);
    ASSERT_TRUE(Open());
    ASSERT_TRUE(manager.SubscribeAll());

    std::atomic<long> sequence{0};
    std::atomic<bool> stop{false};
    std::atomic<long> rejected{0};
    auto radio = [&] {
        static const wchar_t* const others[] = {L"NDEF:ext.storm.missing", L"Windows.Storm", L"NDEF:ext.extra0",
                                                L"NDEF:ext.extra1", L"NDEF:ext.unregistered"};
        while (!stop) {
            const long n = sequence++;
            char hex[16];
            std::snprintf(hex, sizeof(hex), "%08lx", n);
            const wchar_t* type = n % 64 == 0 ? L"NDEF:ext.storm" : others[n % 5];
            if (TouchHere(type, hex) < 0) ++rejected;
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) threads.emplace_back(radio);
    threads.push_back(ChurnRegistrations(stop));
    ASSERT_TRUE(WaitUntil([&] { return sequence >= 1000; }, 120s));
    manager.Close();
    const long closedAt = sequence;
    WaitUntil([&] { return sequence >= closedAt + 250; }, 60s);
    stop = true;
    for (auto& thread : threads) thread.join();
    ASSERT_TRUE(WaitForRecorders());

    EXPECT_EQ(0, rejected);
    ExpectStormStartsWellFormed(closedAt);
}

}  // namespace
