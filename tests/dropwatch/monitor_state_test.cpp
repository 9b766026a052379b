// The monitor through its library: which worker runs for which state of
// the companion, the hand-offs between them, and the files it answers. The
// package query and the known folders are injected: the query is what Wine
// cannot answer "not installed" to.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>

#include "companion_files.h"
#include "monitor_state.h"
#include "photoeditor_record.h"
#include "support/process.h"
#include "test_folder.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::test;

namespace {

std::atomic<bool> companionInstalled{true};
std::wstring localAppData;
std::wstring programFiles;

std::atomic<bool> storeRemovesData{false};
std::wstring localStateToRemove;

// Like the Store: by the time the package no longer counts as installed,
// its data folder is gone.
bool FakePackageQuery(const wchar_t*)
{
    const bool installed = companionInstalled.load();
    if (!installed && storeRemovesData.exchange(false)) RemoveTree(localStateToRemove);
    return installed;
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
    // Writes again until the condition holds: a write made before the
    // watcher issued its first read is not reported.
    static bool WriteUntil(const std::wstring& path, const std::string& bytes, const std::function<bool()>& done)
    {
        for (int attempt = 0; attempt < 40; ++attempt) {
            WriteBytes(path, bytes);
            if (WaitUntil(done, 250ms)) return true;
        }
        return false;
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
    bool SessionInfoHolds(const std::string& text) const
    {
        std::string bytes;
        return ReadBytes(LocalState() + L"\\Session.info", bytes) && bytes.find(text) != std::string::npos;
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
    EXPECT_TRUE(WriteUntil(LocalState() + L"\\app.info", sim::AppInfoXml(L"later"),
                           [this] { return SessionInfoHolds("<SessionID>later</SessionID>"); }));
    EXPECT_TRUE(SessionInfoHolds("<Version>11.0</Version>"));
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

TEST_F(MonitorTest, StopEndsBothWorkersAndReleasesNothingTwice)
{
    MakeLocalState();
    MonitorState& monitor = Monitor();
    EXPECT_EQ(1u, monitor.StartMonitor());
    ASSERT_TRUE(WaitUntil([this] { return WatcherOnly(); }, 5s));
    const auto start = std::chrono::steady_clock::now();
    monitor.StopMonitor();
    EXPECT_TRUE(WaitUntil([this] { return !monitor_->WatcherRunning(); }, 5s));
    monitor.StopMonitor();
    ::testing::Test::RecordProperty("stop_ms", static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                                    std::chrono::steady_clock::now() - start)
                                                                    .count()));
}

}  // namespace
