#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "observe_app.h"
#include "support/process.h"

using namespace std::chrono_literals;
using tapdeck::CObserveApp;

namespace {

// Each test gets identities of its own: the shutdown events stay signalled
// while any handle to them is open.
std::wstring UniqueIdentity(const char* tag)
{
    static std::atomic<int> counter{0};
    return L"TapdeckTest-" + std::wstring(tag, tag + strlen(tag)) + L"-" + std::to_wstring(::GetCurrentProcessId()) +
           L"-" + std::to_wstring(++counter);
}

struct CountingSink : CObserveApp::IObserveEvent {
    std::atomic<int> all{0};
    std::atomic<int> user{0};
    void OnShutdownAll() override { ++all; }
    void OnShutdownUser() override { ++user; }
};

// Blocks the observer thread inside the sink until released, and says when
// the thread has entered it.
struct BlockingSink : CObserveApp::IObserveEvent {
    tapdeck::unique_event entered{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    tapdeck::unique_event release{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    void OnShutdownAll() override { Block(); }
    void OnShutdownUser() override { Block(); }
    void Block()
    {
        ::SetEvent(entered.get());
        ::WaitForSingleObject(release.get(), INFINITE);
    }
    bool WaitEntered() const { return ::WaitForSingleObject(entered.get(), 5000) == WAIT_OBJECT_0; }
};

TEST(ObserveApp, UserEventCallsOnShutdownUserOnce)
{
    const auto identity = UniqueIdentity("user");
    CountingSink sink;
    CObserveApp observer(identity.c_str());
    observer.SetSink(&sink);
    observer.StartObserve();

    CObserveApp other(identity.c_str());
    ASSERT_TRUE(other.SetShutdownUser());
    ASSERT_TRUE(tapdeck::test::WaitUntil([&] { return sink.user == 1; }, 5s));
    EXPECT_TRUE(observer.StopObserve());  // the thread already ended by itself
    EXPECT_EQ(1, sink.user.load());
    EXPECT_EQ(0, sink.all.load());
}

TEST(ObserveApp, AllSessionsEventCallsOnShutdownAllOnce)
{
    const auto identity = UniqueIdentity("all");
    CountingSink sink;
    CObserveApp observer(identity.c_str());
    observer.SetSink(&sink);
    observer.StartObserve();

    CObserveApp other(identity.c_str());
    ASSERT_TRUE(other.SetShutdownAll());
    ASSERT_TRUE(tapdeck::test::WaitUntil([&] { return sink.all == 1; }, 5s));
    EXPECT_TRUE(observer.StopObserve());
    EXPECT_EQ(0, sink.user.load());
}

TEST(ObserveApp, OtherIdentityNeverNotifies)
{
    const auto identity = UniqueIdentity("mine");
    CountingSink sink;
    CObserveApp observer(identity.c_str());
    observer.SetSink(&sink);
    observer.StartObserve();

    CObserveApp stranger(UniqueIdentity("theirs").c_str());
    stranger.SetShutdownAll();
    stranger.SetShutdownUser();
    // The observer's own per-user event as a sentinel: had the stranger's
    // all-sessions event been ours, the thread would have reported that one,
    // which wins over the per-user event whenever both are set.
    CObserveApp(identity.c_str()).SetShutdownUser();
    ASSERT_TRUE(tapdeck::test::WaitUntil([&] { return sink.user == 1; }, 5s));
    EXPECT_EQ(0, sink.all.load());
}

TEST(ObserveApp, StopEndsAQuietThreadWithoutNotifying)
{
    CountingSink sink;
    CObserveApp observer(UniqueIdentity("quiet").c_str());
    observer.SetSink(&sink);
    observer.StartObserve();
    observer.StartObserve();  // a restart replaces the running thread
    EXPECT_TRUE(observer.StopObserve());
    EXPECT_FALSE(observer.IsObserving());
    EXPECT_EQ(0, sink.all + sink.user);
}

TEST(ObserveApp, StuckSinkIsTerminatedAfterTheStopTimeout)
{
    const auto identity = UniqueIdentity("stuck");
    BlockingSink sink;
    CObserveApp observer(identity.c_str());
    observer.SetSink(&sink);
    observer.StartObserve();
    CObserveApp(identity.c_str()).SetShutdownUser();
    ASSERT_TRUE(sink.WaitEntered());
    EXPECT_FALSE(observer.StopObserve());
    ::SetEvent(sink.release.get());
}

TEST(ObserveApp, DestructorReturnsWhenTheSinkHangs)
{
    const auto identity = UniqueIdentity("dtor");
    BlockingSink sink;
    const auto start = std::chrono::steady_clock::now();
    {
        CObserveApp observer(identity.c_str());
        observer.SetSink(&sink);
        observer.StartObserve();
        CObserveApp(identity.c_str()).SetShutdownAll();
        ASSERT_TRUE(sink.WaitEntered());
    }
    // The stop gives up on the thread after 2000 ms; a wait twice as long
    // would already be a fault, not a slow machine.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
    ::SetEvent(sink.release.get());
}

// Reads back the DACL of a named object through a fresh handle.
struct AceView {
    BYTE type;
    ACCESS_MASK mask;
    std::wstring sid;
};

std::vector<AceView> ReadDacl(HANDLE object)
{
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::vector<AceView> aces;
    if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                          &descriptor) != ERROR_SUCCESS)
        return aces;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* raw = nullptr;
        if (!::GetAce(dacl, i, &raw)) break;
        auto* header = static_cast<ACE_HEADER*>(raw);
        // Allowed and denied ACEs share their layout.
        auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(raw);
        LPWSTR text = nullptr;
        ::ConvertSidToStringSidW(&ace->SidStart, &text);
        aces.push_back({header->AceType, ace->Mask, text ? text : L""});
        ::LocalFree(text);
    }
    ::LocalFree(descriptor);
    return aces;
}

// The owner too: without an entry for OWNER RIGHTS it could rewrite the DACL.
TEST(SharedObjects, CarryTheDenyThenAllowDaclForEveryoneAndTheOwner)
{
    const auto identity = UniqueIdentity("dacl");
    CObserveApp observer(identity.c_str());
    observer.CreateUserMutex();
    observer.CreateAllMutex();
    for (HANDLE object : {observer.UserShutdownEvent(), observer.AllShutdownEvent(), observer.UserMutex(),
                          observer.AllMutex()}) {
        ASSERT_NE(nullptr, object);
        const auto aces = ReadDacl(object);
        ASSERT_EQ(3u, aces.size());
        for (size_t i : {0u, 1u}) {
            EXPECT_EQ(ACCESS_DENIED_ACE_TYPE, aces[i].type);
            EXPECT_EQ(static_cast<ACCESS_MASK>(WRITE_DAC | WRITE_OWNER), aces[i].mask);
        }
        EXPECT_EQ(L"S-1-1-0", aces[0].sid);
        EXPECT_EQ(L"S-1-3-4", aces[1].sid);
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, aces[2].type);
        // The system maps GENERIC_ALL to the object's full rights when it stores the ACE.
        EXPECT_NE(0u, aces[2].mask);
        EXPECT_EQ(L"S-1-1-0", aces[2].sid);
    }
}

TEST(SharedObjects, ExistingEventStillOpensAndCanBeSet)
{
    const auto identity = UniqueIdentity("existing");
    CObserveApp first(identity.c_str());
    CObserveApp second(identity.c_str());
    ASSERT_NE(nullptr, second.AllShutdownEvent());
    ASSERT_NE(nullptr, second.UserShutdownEvent());
    EXPECT_TRUE(second.SetShutdownUser());
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(first.UserShutdownEvent(), 0));
}

TEST(SharedObjects, PresenceMutexCreatedElsewhereIsStillTaken)
{
    const auto identity = UniqueIdentity("presence");
    const std::wstring name = L"Global\\" + identity + L"-MutexAll";
    tapdeck::unique_mutex existing(tapdeck::CreateSharedMutex(name.c_str()));
    ASSERT_TRUE(existing);

    CObserveApp observer(identity.c_str());
    observer.CreateAllMutex();
    ASSERT_NE(nullptr, observer.AllMutex());
    // Another thread finds the mutex owned.
    DWORD result = 0;
    std::thread([&] { result = ::WaitForSingleObject(existing.get(), 0); }).join();
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), result);
}

TEST(SharedObjects, FormatsNamesFromTheIdentity)
{
    CObserveApp observer(L"Id[x]");
    auto name = observer.FormatObjectName(L"Global\\%s-MutexAll");
    ASSERT_TRUE(name);
    EXPECT_STREQ(L"Global\\Id[x]-MutexAll", name.get());
}

}  // namespace
