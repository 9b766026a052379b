// The monitor through its library: which worker runs for which state of
// the companion, the hand-offs between them, and the files it answers. The
// package query and the known folders are injected: the query is what Wine
// cannot answer "not installed" to.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "bounded_read.h"
#include "local_state_watcher.h"
#include "companion_files.h"
#include "monitor_state.h"
#include "photoeditor_record.h"
#include "proc_address.h"
#include "support/process.h"
#include "test_folder.h"
#include "worker_start.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::test;

namespace {

std::atomic<bool> companionInstalled{true};
std::wstring localAppData;
std::wstring programFiles;

std::atomic<bool> storeRemovesData{false};
std::wstring localStateToRemove;

// A query that answers "not installed" only once the test has let it: it
// signals queryEntered and waits for queryRelease (at most ten seconds).
std::atomic<bool> holdQuery{false};
unique_event queryEntered(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
unique_event queryRelease(::CreateEventW(nullptr, FALSE, FALSE, nullptr));

// Like the Store: by the time the package no longer counts as installed,
// its data folder is gone, even where the monitor still had a file of it
// open for a moment.
bool FakePackageQuery(const wchar_t*)
{
    const bool installed = companionInstalled.load();
    if (!installed && storeRemovesData.exchange(false)) {
        for (int attempt = 0; attempt < 200 && !RemoveTree(localStateToRemove); ++attempt) ::Sleep(10);
    }
    if (!installed && holdQuery.exchange(false)) {
        ::SetEvent(queryEntered.get());
        ::WaitForSingleObject(queryRelease.get(), 10000);
    }
    return installed;
}

// The threads of this process that run a worker routine of the monitor.
size_t WorkerThreads()
{
    using QueryThreadFn = LONG(NTAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);
    static const auto query = GetProcAddressAs<QueryThreadFn>(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread");
    constexpr ULONG kWin32StartAddress = 9;
    unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    size_t count = 0;
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID != ::GetCurrentProcessId()) continue;
        unique_handle thread(::OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
        void* start = nullptr;
        if (thread && query(thread.get(), kWin32StartAddress, &start, sizeof(start), nullptr) == 0 &&
            (start == reinterpret_cast<void*>(&PackageWaiterThread) ||
             start == reinterpret_cast<void*>(&LocalStateWatcherThread)))
            ++count;
    }
    return count;
}

HRESULT WINAPI FakeKnownFolder(REFKNOWNFOLDERID id, DWORD, HANDLE, PWSTR* path)
{
    const std::wstring& folder = IsEqualGUID(id, FOLDERID_LocalAppData) ? localAppData : programFiles;
    *path = static_cast<PWSTR>(::CoTaskMemAlloc((folder.size() + 1) * sizeof(wchar_t)));
    wcscpy_s(*path, folder.size() + 1, folder.c_str());
    return S_OK;
}

HRESULT WINAPI NoKnownFolder(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR* path)
{
    *path = nullptr;
    return E_FAIL;
}

// Shifts the moment of the next step without waiting for anything.
void SpinMicroseconds(int microseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::microseconds(microseconds);
    while (std::chrono::steady_clock::now() < end) {
    }
}

class MonitorTest : public ::testing::Test {
protected:
    MonitorTest()
    {
        localAppData = root_.Join(L"LocalAppData");
        programFiles = root_.Join(L"ProgramFiles");
        ::CreateDirectoryW(localAppData.c_str(), nullptr);
        ::CreateDirectoryW(packages_.c_str(), nullptr);
        companionInstalled = true;
        storeRemovesData = false;
        holdQuery = false;
        const std::wstring profileDir = programFiles + L"\\Vexa\\Tapdeck\\Pairwell Profile";
        for (const wchar_t* part : {L"", L"\\Vexa", L"\\Vexa\\Tapdeck", L"\\Vexa\\Tapdeck\\Pairwell Profile"})
            ::CreateDirectoryW((programFiles + part).c_str(), nullptr);
        WriteBytes(profileDir + L"\\Configuration.xml",
                   "<Configuration><AppInfo PackageFamilyName=\"Vexa.Test_first\" AppUserModelID=\"A!App\" "
                   "WiFiConnectRetryTimes=\"3\" WiFiConnectRetryInterval=\"10\"/>"
                   "<AppInfo PackageFamilyName=\"Vexa.Test_second\" AppUserModelID=\"B!App\" "
                   "WiFiConnectRetryTimes=\"3\" WiFiConnectRetryInterval=\"10\"/></Configuration>");
        registryPath_ = L"Software\\TapdeckTest\\Monitor-" + std::to_wstring(::GetCurrentProcessId());
        ::RegCreateKeyExW(HKEY_CURRENT_USER, registryPath_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          registryRoot_.put(), nullptr);
    }
    ~MonitorTest() override
    {
        if (monitor_) {
            monitor_->StopMonitor();
            WaitUntil([this] { return !monitor_->WaiterRunning() && !monitor_->WatcherRunning(); }, 10s);
        }
        ::RegDeleteTreeW(HKEY_CURRENT_USER, registryPath_.c_str());
    }

    // The record outlives its workers on purpose, as the library's static
    // one does: a worker may still be leaving when the test ends.
    MonitorState& Monitor(KnownFolderFn knownFolder = FakeKnownFolder)
    {
        MonitorDependencies dependencies;
        dependencies.isPackageFamilyInstalled = FakePackageQuery;
        dependencies.getKnownFolderPath = knownFolder;
        dependencies.photoshopRoot = registryRoot_.get();
        monitor_ = new MonitorState(dependencies);
        return *monitor_;
    }

    std::wstring Package() const { return packages_ + L"\\Vexa.Test_first"; }
    std::wstring LocalState() const { return Package() + L"\\LocalState"; }
    void MakeLocalState() const
    {
        ::CreateDirectoryW(Package().c_str(), nullptr);
        ::CreateDirectoryW(LocalState().c_str(), nullptr);
    }
    // Changes the Packages folder until the condition holds: a change made
    // before the waiter set up its notification is not reported.
    bool PokePackagesUntil(const std::function<bool()>& done) const
    {
        const std::wstring poke = packages_ + L"\\poke";
        for (int attempt = 0; attempt < 40; ++attempt) {
            ::CreateDirectoryW(poke.c_str(), nullptr);
            ::RemoveDirectoryW(poke.c_str());
            if (WaitUntil(done, 250ms)) return true;
        }
        return false;
    }
    bool WatcherOnly() const { return monitor_->WatcherRunning() && !monitor_->WaiterRunning(); }
    bool WaiterOnly() const { return monitor_->WaiterRunning() && !monitor_->WatcherRunning(); }
    std::wstring SessionInfo() const { return LocalState() + L"\\Session.info"; }
    bool SessionInfoHolds(const std::string& text) const
    {
        std::string bytes;
        return ReadBytes(SessionInfo(), bytes) && bytes.find(text) != std::string::npos;
    }
    // Starts the monitor with LocalState in place and waits until it has
    // answered a first "App.Info": from then on its watcher reads each change.
    bool StartAnswering(MonitorState& monitor) const
    {
        return monitor.StartMonitor() == 1u && WriteUntil(LocalState() + L"\\App.Info", sim::AppInfoXml(L"ready"),
                                                          [this] { return SessionInfoHolds("ready"); });
    }

    TestFolder root_{L"monitor"};
    std::wstring packages_ = root_.Join(L"LocalAppData\\Packages");
    std::wstring registryPath_;
    unique_hkey registryRoot_;
    MonitorState* monitor_ = nullptr;
};

TEST_F(MonitorTest, StopWithoutStartTouchesNothing)
{
    MonitorState& monitor = Monitor();
    monitor.StopMonitor();
    EXPECT_FALSE(monitor.WaiterRunning());
    EXPECT_FALSE(monitor.WatcherRunning());
    EXPECT_NE(0, monitor.UsageStatus());
}

TEST_F(MonitorTest, WithoutProfileNothingStarts)
{
    MonitorState& monitor = Monitor(NoKnownFolder);
    EXPECT_EQ(0u, monitor.StartMonitor());
    EXPECT_FALSE(monitor.WaiterRunning());
    EXPECT_FALSE(monitor.WatcherRunning());
}

TEST_F(MonitorTest, OnlyTheFirstProfileEntryIsWatched)
{
    MonitorState& monitor = Monitor();
    ASSERT_TRUE(monitor.LoadMonitorProfile());
    EXPECT_EQ(L"Vexa.Test_first", monitor.PackageFamilyName());
}

TEST_F(MonitorTest, InstalledCompanionIsWatchedAndASecondStartAddsNoThread)
{
    MakeLocalState();
    MonitorState& monitor = Monitor();
    EXPECT_EQ(1u, monitor.StartMonitor());
    EXPECT_EQ(1u, monitor.StartMonitor());
    ASSERT_TRUE(WaitUntil([this] { return WatcherOnly(); }, 5s));
    EXPECT_TRUE(WriteUntil(LocalState() + L"\\App.Info", sim::AppInfoXml(L"first"),
                           [this] { return SessionInfoHolds("<SessionID>first</SessionID>"); }));
}

TEST_F(MonitorTest, WatcherWithoutLocalStateGivesUpAfterItsPolls)
{
    MonitorState& monitor = Monitor();
    EXPECT_EQ(1u, monitor.StartMonitor());
    EXPECT_TRUE(WaitUntil([this] { return !monitor_->WatcherRunning(); }, 15s));
    EXPECT_FALSE(monitor.WaiterRunning());
}

TEST_F(MonitorTest, PackageInstalledLaterHandsOverToTheWatcher)
{
    companionInstalled = false;
    MonitorState& monitor = Monitor();
    EXPECT_EQ(1u, monitor.StartMonitor());
    ASSERT_TRUE(WaitUntil([this] { return WaiterOnly(); }, 5s));

    companionInstalled = true;
    MakeLocalState();
    ASSERT_TRUE(PokePackagesUntil([this] { return WatcherOnly(); }));
    ASSERT_TRUE(sim::RegisterEditor({L"10.0", L"11.0"}, registryRoot_.get()));
    // One read for both: a later answer may be rewriting the file meanwhile.
    EXPECT_TRUE(WriteUntil(LocalState() + L"\\app.info", sim::AppInfoXml(L"later"), [this] {
        std::string bytes;
        return ReadBytes(SessionInfo(), bytes) && bytes.find("<SessionID>later</SessionID>") != std::string::npos &&
               bytes.find("<Version>11.0</Version>") != std::string::npos;
    }));
}

TEST_F(MonitorTest, PackageRemovedHandsBackToTheWaiterAndRemovesTheEmptyFolder)
{
    MakeLocalState();
    MonitorState& monitor = Monitor();
    EXPECT_EQ(1u, monitor.StartMonitor());
    ASSERT_TRUE(WaitUntil([this] { return WatcherOnly(); }, 5s));

    ASSERT_TRUE(WriteUntil(LocalState() + L"\\App.Info", sim::AppInfoXml(L"ready"),
                           [this] { return SessionInfoHolds("ready"); }));

    // Uninstalled: the next change the watcher sees finds the package gone.
    localStateToRemove = LocalState();
    storeRemovesData = true;
    companionInstalled = false;
    ASSERT_TRUE(WriteBytes(LocalState() + L"\\Last.dat", "x"));
    ASSERT_TRUE(WaitUntil([this] { return WaiterOnly(); }, 10s));
    EXPECT_TRUE(WaitUntil([this] { return !Exists(Package()); }, 10s));

    // Reinstalled: the waiter sees the package folder again.
    companionInstalled = true;
    MakeLocalState();
    EXPECT_TRUE(PokePackagesUntil([this] { return WatcherOnly(); }));
}

TEST_F(MonitorTest, CommandFilesAreDeletedOnlyWhenReadCompletely)
{
    MakeLocalState();
    MonitorState& monitor = Monitor();
    EXPECT_EQ(1u, monitor.StartMonitor());
    ASSERT_TRUE(WaitUntil([this] { return WatcherOnly(); }, 5s));
    const std::wstring command = LocalState() + L"\\Command.Info";
    const std::string xml = sim::CommandInfoXml({{L"SomethingNew", {L"x"}}});

    ASSERT_TRUE(WriteUntil(LocalState() + L"\\App.Info", sim::AppInfoXml(L"ready"),
                           [this] { return SessionInfoHolds("ready"); }));
    ASSERT_TRUE(WriteBytes(command, xml.substr(0, xml.size() / 2)));
    ASSERT_TRUE(WriteBytes(LocalState() + L"\\App.Info", sim::AppInfoXml(L"marker")));
    ASSERT_TRUE(WaitUntil([this] { return SessionInfoHolds("marker"); }, 10s));
    EXPECT_TRUE(Exists(command)) << "a half-written file stays";

    ASSERT_TRUE(WriteBytes(command, xml));
    EXPECT_TRUE(WaitUntil([&] { return !Exists(command); }, 10s));
}

struct UnansweredCase {
    const char* label;
    const wchar_t* name;
    std::string bytes;
};

class MonitorLeavesUnanswered : public MonitorTest, public ::testing::WithParamInterface<UnansweredCase> {};

// No reply, the file left as it was, and the next proper "App.Info"
// answered as ever.
TEST_P(MonitorLeavesUnanswered, AndWatchesOn)
{
    MakeLocalState();
    MonitorState& monitor = Monitor();
    ASSERT_TRUE(StartAnswering(monitor));
    // A command file written afterwards is handled afterwards: its deletion
    // shows that the files before it have had their turn (the writes above
    // may still be answered again, as lost changes are).
    const std::wstring command = LocalState() + L"\\Command.Info";
    ASSERT_TRUE(WriteUntil(command, sim::CommandInfoXml({}), [&] { return !Exists(command); }));
    ASSERT_TRUE(::DeleteFileW(SessionInfo().c_str()));

    const std::wstring path = LocalState() + L"\\" + GetParam().name;
    ASSERT_TRUE(WriteBytes(path, GetParam().bytes));
    ASSERT_TRUE(WriteUntil(command, sim::CommandInfoXml({}), [&] { return !Exists(command); }));
    EXPECT_FALSE(Exists(SessionInfo()));
    std::string bytes;
    EXPECT_TRUE(ReadBytes(path, bytes) && bytes == GetParam().bytes) << "the file is kept as it was";

    EXPECT_TRUE(WriteUntil(LocalState() + L"\\App.Info", sim::AppInfoXml(L"after"),
                           [this] { return SessionInfoHolds("after"); }));
}

INSTANTIATE_TEST_SUITE_P(
    Files, MonitorLeavesUnanswered,
    ::testing::Values(UnansweredCase{"name_that_only_ends_like_app_info", L"MyApp.Info", sim::AppInfoXml(L"mine")},
                      UnansweredCase{"oversized_app_info", L"App.Info",
                                     sim::AppInfoXml(std::wstring(kMaxCompanionFileBytes, L'x'))}),
    [](const ::testing::TestParamInfo<UnansweredCase>& info) { return std::string(info.param.label); });

// Changes lost to a full buffer (a read of 0 bytes) or a failed read do not
// say which file changed: both handlers run.
TEST_F(MonitorTest, LostChangesRunBothHandlers)
{
    MakeLocalState();
    MonitorState& monitor = Monitor();
    ASSERT_TRUE(monitor.LoadMonitorProfile());
    ASSERT_TRUE(WriteBytes(LocalState() + L"\\App.Info", sim::AppInfoXml(L"lost")));
    ASSERT_TRUE(WriteBytes(LocalState() + L"\\Command.Info", sim::CommandInfoXml({})));
    DispatchChanges(monitor, L"Vexa.Test_first", nullptr, 0);
    EXPECT_TRUE(SessionInfoHolds("<SessionID>lost</SessionID>"));
    EXPECT_FALSE(Exists(LocalState() + L"\\Command.Info"));
}

// The app reset or reinstalled while the agent runs: its new LocalState is
// watched like the old one.
TEST_F(MonitorTest, LocalStateRemovedAndMadeAgainIsWatchedAgain)
{
    MakeLocalState();
    MonitorState& monitor = Monitor();
    ASSERT_TRUE(StartAnswering(monitor));
    for (int round = 0; round < 2; ++round) {
        // Moved off first: a folder deleted while watched keeps its name
        // until the watcher lets go of it.
        const std::wstring old = Package() + L"\\LocalState." + std::to_wstring(round);
        ASSERT_TRUE(::MoveFileExW(LocalState().c_str(), old.c_str(), 0)) << "round " << round;
        RemoveTree(old);
        ASSERT_TRUE(::CreateDirectoryW(LocalState().c_str(), nullptr)) << "round " << round;
        const std::string id = "again-" + std::to_string(round);
        EXPECT_TRUE(WriteUntil(LocalState() + L"\\App.Info", sim::AppInfoXml(std::wstring(id.begin(), id.end())),
                               [&] { return SessionInfoHolds(id); }))
            << "round " << round;
    }
    EXPECT_TRUE(WatcherOnly());
}

// How the app writes "Command.Info": the file runs once, as soon as its
// writer lets go, without a further notification.
struct WriterCase {
    const char* label;
    DWORD share;   // the writer's sharing while it holds the file
    DWORD holdMs;  // how long it keeps the file after writing; INFINITE: for good
    bool renamed;  // written under another name, then renamed into place
};

class MonitorCommandWriter : public MonitorTest, public ::testing::WithParamInterface<WriterCase> {};

TEST_P(MonitorCommandWriter, RunsTheFileOnceItsWriterLetsGo)
{
    ASSERT_TRUE(::CopyFileW(sim::RecorderPath(L"11.0").c_str(), (programFiles + L"\\Vexa\\Tapdeck\\Pairwell.exe").c_str(),
                            FALSE));
    sim::ClearLaunches();
    MakeLocalState();
    MonitorState& monitor = Monitor();
    ASSERT_TRUE(StartAnswering(monitor));
    const std::wstring command = LocalState() + L"\\Command.Info";
    const std::wstring written = GetParam().renamed ? LocalState() + L"\\incoming.tmp" : command;
    const std::string xml = sim::CommandInfoXml({{L"WiFiDisconnect", {L"Cam"}}});
    unique_file writer(
        ::CreateFileW(written.c_str(), GENERIC_WRITE, GetParam().share, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD bytes = 0;
    ASSERT_TRUE(writer && ::WriteFile(writer.get(), xml.data(), static_cast<DWORD>(xml.size()), &bytes, nullptr));
    const std::vector<sim::Launch> once = {{L"Tapdeck\\Pairwell.exe", L"/Disconnect /Cam"}};
    if (GetParam().holdMs == INFINITE) {
        EXPECT_TRUE(WriteUntil(LocalState() + L"\\App.Info", sim::AppInfoXml(L"meanwhile"),
                               [this] { return SessionInfoHolds("meanwhile"); }))
            << "the watcher answers on";
        std::this_thread::sleep_for(2s);
        EXPECT_TRUE(sim::ReadLaunches().empty());
        const auto before = std::chrono::steady_clock::now();
        monitor.StopMonitor();
        EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
        EXPECT_TRUE(WaitUntil([&] { return !monitor.WatcherRunning(); }, 2s));
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(GetParam().holdMs));
    writer.reset();
    if (GetParam().renamed) {
        ASSERT_TRUE(::MoveFileExW(written.c_str(), command.c_str(), MOVEFILE_REPLACE_EXISTING));
    }
    EXPECT_TRUE(WaitUntil([&] { return !Exists(command) && !sim::ReadLaunches().empty(); }, 10s));
    std::this_thread::sleep_for(1s);  // a second run would show by now
    EXPECT_EQ(once, sim::ReadLaunches());
}

INSTANTIATE_TEST_SUITE_P(Writers, MonitorCommandWriter,
                         ::testing::Values(WriterCase{"shares_reading_holds_0_6_s", FILE_SHARE_READ, 600, false},
                                           WriterCase{"shares_reading_holds_5_s", FILE_SHARE_READ, 5000, false},
                                           WriterCase{"shares_nothing_holds_0_6_s", 0, 600, false},
                                           WriterCase{"never_closes", FILE_SHARE_READ, INFINITE, false},
                                           WriterCase{"renamed_into_place", 0, 0, true}),
                         [](const ::testing::TestParamInfo<WriterCase>& info) { return std::string(info.param.label); });

// A stop request that meets a hand-off must still end every worker: the
// hand-off must not start one with fresh events that nothing will signal.
TEST_F(MonitorTest, StopDuringAHandOffLeavesNoWorker)
{
    ASSERT_TRUE(WaitUntil([] { return WorkerThreads() == 0; }, 10s));
    MakeLocalState();
    MonitorState& monitor = Monitor();
    // A thread shows its routine only once it runs: the record shows it before.
    const auto noWorker = [&] { return WorkerThreads() == 0 && !monitor.WaiterRunning() && !monitor.WatcherRunning(); };

    // The package vanishing: the stop comes while the watcher asks whether
    // the package is still installed, just before it hands off.
    ASSERT_TRUE(StartAnswering(monitor));
    holdQuery = true;
    companionInstalled = false;
    ASSERT_TRUE(WriteBytes(LocalState() + L"\\Last.dat", "x"));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(queryEntered.get(), 10000));
    monitor.StopMonitor();
    ::SetEvent(queryRelease.get());
    ASSERT_TRUE(WaitUntil(noWorker, 10s)) << "after the package went";

    // The package appearing: the stop races the waiter's change, round after
    // round, at shifting moments.
    for (int round = 0; round < 30; ++round) {
        RemoveTree(Package());
        companionInstalled = false;
        ASSERT_EQ(1u, monitor.StartMonitor());
        ASSERT_TRUE(WaitUntil([] { return WorkerThreads() == 1; }, 5s));
        SpinMicroseconds(round % 6 * 200);
        companionInstalled = true;
        MakeLocalState();
        SpinMicroseconds(round % 5 * 100);
        monitor.StopMonitor();
        ASSERT_TRUE(WaitUntil(noWorker, 10s)) << "round " << round;
    }
}

}  // namespace
