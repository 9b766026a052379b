// The installed Dropwatch.dll: its exports, loaded and unloaded under load,
// and inside the running agent answering the companion app's files.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "companion_files.h"
#include "photoeditor_record.h"
#include "proc_address.h"
#include "sim_state.h"
#include "support/process.h"
#include "tallyr_record.h"
#include "test_folder.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::test;

namespace {

const wchar_t kSimctl[] = L"C:\\tapdeck-sim\\bin\\simctl.exe";
const wchar_t kGlimpser[] = L"Tapdeck\\Glimpser.exe";
const wchar_t kPairwell[] = L"Tapdeck\\Pairwell.exe";
// StopMonitor keeps the agent waiting at most 200 ms per worker, and never
// for a worker's program. The tests check the second: a stop that waited
// for the held Glimpser would never return, one within its bound returns
// far inside this limit even on a machine that runs other tests at once
// (a limit of one second failed there).
constexpr auto kStopLimit = 10s;

using StartMonitorFn = DWORD(WINAPI*)();
using StopMonitorFn = void(WINAPI*)();

std::wstring Family()
{
    static const std::wstring family = sim::InstalledCompanionFamily();
    return family;
}

std::wstring LocalStateFile(const wchar_t* name) { return sim::CompanionLocalState(Family()) + L"\\" + name; }

std::string SessionInfo()
{
    std::string bytes;
    sim::ReadCompanionFile(Family(), L"Session.info", bytes);
    return bytes;
}

bool SessionInfoHolds(const std::string& text) { return SessionInfo().find(text) != std::string::npos; }

// How often a recorder started in place of the program.
size_t Starts(const wchar_t* program)
{
    size_t count = 0;
    for (const sim::Launch& launch : sim::ReadLaunches()) count += launch.program == program;
    return count;
}

// Holds every start of a recorder copied as fileName until it is released.
class Hold {
public:
    explicit Hold(const wchar_t* fileName)
        : semaphore_(::CreateSemaphoreW(nullptr, 0, 1000, sim::HoldName(fileName).c_str()))
    {
    }
    ~Hold() { Release(100); }
    void Release(LONG starts = 1) { ::ReleaseSemaphore(semaphore_.get(), starts, nullptr); }

private:
    unique_handle semaphore_;
};

// A product program replaced by the launch recorder for one test, so that
// its starts show up in the record; put back at the end. A recorder still
// running keeps its file until it ends, so the way back waits for it: had
// the next test moved that recorder over the saved program, every later
// test in the prefix would have run the recorder as the product.
class RecorderInPlaceOf {
public:
    // recorder false: the program is only taken away.
    explicit RecorderInPlaceOf(const wchar_t* name, bool recorder = true)
        : path_(InstalledPath(name)), saved_(path_ + L".saved")
    {
        moved_ = ::MoveFileExW(path_.c_str(), saved_.c_str(), 0) != FALSE;
        copied_ = moved_ && (!recorder || ::CopyFileW(sim::RecorderPath(L"11.0").c_str(), path_.c_str(), FALSE));
    }
    ~RecorderInPlaceOf()
    {
        if (!moved_) return;
        EXPECT_TRUE(WaitUntil(
            [&] {
                ::DeleteFileW(path_.c_str());
                return ::MoveFileExW(saved_.c_str(), path_.c_str(), 0) != FALSE;
            },
            std::chrono::seconds(70)))
            << "the installed program is still " << sim::ToUtf8(saved_);
    }
    bool Ready() const { return copied_; }

private:
    std::wstring path_;
    std::wstring saved_;
    bool moved_ = false;
    bool copied_ = false;
};

class DropwatchProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(Family().empty()) << "the installed profile names the companion";
        ASSERT_TRUE(sim::SetCompanionFolders(Family(), sim::CompanionFolders::LocalState));
        sim::DeleteCompanionFile(Family(), L"App.Info");
        sim::DeleteCompanionFile(Family(), L"Command.Info");
        sim::DeleteCompanionFile(Family(), L"Command.Info.tmp");
        sim::DeleteCompanionFile(Family(), L"Session.info");
        for (int photo = 0; photo < 200; ++photo)
            sim::DeleteCompanionFile(Family(), L"photo-" + std::to_wstring(photo) + L".jpg");
        sim::ClearLaunches();
    }
    void TearDown() override
    {
        StopAgent();
        sim::RegisterEditor({L"11.0"});
    }

    void StartAgent()
    {
        agent_ = StartProgram(Agent(), L"/AutoStart");
        ASSERT_TRUE(agent_);
        // The watcher is reading once it answers.
        ASSERT_TRUE(WriteUntil(LocalStateFile(L"App.Info"), sim::AppInfoXml(L"ready"),
                               [] { return SessionInfoHolds("<SessionID>ready</SessionID>"); }))
            << "the agent's Dropwatch answers App.Info";
    }
    void StopAgent()
    {
        if (!agent_) return;
        RunProgram(Agent(), L"/HaltAll");
        if (WaitForExit(agent_.get(), 10s) == -1) ::TerminateProcess(agent_.get(), 1);
        agent_.reset();
    }

    unique_handle agent_;
};

TEST(DropwatchLibrary, ExportsByNameAndOrdinal)
{
    unique_hmodule library(::LoadLibraryW(InstalledPath(L"Dropwatch.dll").c_str()));
    ASSERT_TRUE(library);
    const FARPROC start = ::GetProcAddress(library.get(), "StartMonitor");
    const FARPROC stop = ::GetProcAddress(library.get(), "StopMonitor");
    ASSERT_NE(nullptr, start);
    ASSERT_NE(nullptr, stop);
    EXPECT_EQ(start, ::GetProcAddress(library.get(), MAKEINTRESOURCEA(1)));
    EXPECT_EQ(stop, ::GetProcAddress(library.get(), MAKEINTRESOURCEA(2)));
    EXPECT_NE(nullptr, ::FindResourceW(library.get(), MAKEINTRESOURCEW(2), RT_MANIFEST));
}

TEST(DropwatchLibrary, VersionRecordNamesTheComponent)
{
    const std::wstring path = InstalledPath(L"Dropwatch.dll");
    DWORD ignored = 0;
    std::vector<BYTE> block(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    auto value = [&](const wchar_t* name) {
        wchar_t* text = nullptr;
        UINT length = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
        return ::VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&text), &length) && text
                   ? std::wstring(text)
                   : std::wstring();
    };
    EXPECT_EQ(L"Tapdeck(Dropwatch)", value(L"FileDescription"));
    EXPECT_EQ(L"Dropwatch.dll", value(L"OriginalFilename"));
    EXPECT_EQ(L"1.0.0.14100", value(L"FileVersion"));
}

TEST(Glimpser, ShowsTheDesktopAndEnds)
{
    EXPECT_EQ(0, RunProgram(InstalledPath(L"Glimpser.exe"), L"", 20s));
}

// The agent frees the library right after StopMonitor: repeated with files
// arriving, StopMonitor returns without waiting for busy workers, which keep
// their code loaded, then let it go.
TEST_F(DropwatchProcess, StopAndUnloadHundredTimesWhileFilesArrive)
{
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        for (int i = 0; writing; ++i) {
            sim::WriteCompanionFile(Family(), L"App.Info", sim::AppInfoXml(L"load-" + std::to_wstring(i)));
            // Every tenth command runs Glimpser, which the handler waits for.
            const wchar_t* name = i % 10 == 0 ? L"LaunchPS" : L"Unknown";
            sim::WriteCompanionFile(Family(), L"Command.Info", sim::CommandInfoXml({{name, {}}}));
            std::this_thread::sleep_for(3ms);
        }
    });
    const std::wstring path = InstalledPath(L"Dropwatch.dll");
    for (int round = 0; round < 100; ++round) {
        HMODULE library = ::LoadLibraryW(path.c_str());
        ASSERT_NE(nullptr, library);
        auto start = GetProcAddressAs<StartMonitorFn>(library, "StartMonitor");
        auto stop = GetProcAddressAs<StopMonitorFn>(library, "StopMonitor");
        ASSERT_TRUE(start && stop);
        start();
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 4 * 10));
        const auto before = std::chrono::steady_clock::now();
        stop();
        EXPECT_LT(std::chrono::steady_clock::now() - before, kStopLimit) << "round " << round;
        ::FreeLibrary(library);
    }
    writing = false;
    writer.join();
    // The last worker gives the library back when it has left its code.
    EXPECT_TRUE(WaitUntil([] { return ::GetModuleHandleW(L"Dropwatch.dll") == nullptr; }, 30s));
    EXPECT_TRUE(SessionInfoHolds("<SessionID>load-"));
}

// A worker inside the wait for Glimpser cannot stop: StopMonitor returns
// all the same, and the library stays loaded until the worker has left.
TEST_F(DropwatchProcess, StopReturnsWhileAWorkerWaitsForGlimpser)
{
    RecorderInPlaceOf glimpser(L"Glimpser.exe");
    ASSERT_TRUE(glimpser.Ready());
    Hold hold(L"Glimpser.exe");
    HMODULE library = ::LoadLibraryW(InstalledPath(L"Dropwatch.dll").c_str());
    ASSERT_NE(nullptr, library);
    ASSERT_EQ(1u, GetProcAddressAs<StartMonitorFn>(library, "StartMonitor")());
    ASSERT_TRUE(WriteUntil(LocalStateFile(L"App.Info"), sim::AppInfoXml(L"ready"),
                           [] { return SessionInfoHolds("<SessionID>ready</SessionID>"); }));
    ASSERT_TRUE(sim::WriteCompanionFile(Family(), L"Command.Info", sim::CommandInfoXml({{L"LaunchPS", {}}})));
    ASSERT_TRUE(WaitUntil([] { return Starts(kGlimpser) == 1; }, 10s));

    const auto before = std::chrono::steady_clock::now();
    GetProcAddressAs<StopMonitorFn>(library, "StopMonitor")();
    EXPECT_LT(std::chrono::steady_clock::now() - before, kStopLimit);
    ::FreeLibrary(library);
    EXPECT_NE(nullptr, ::GetModuleHandleW(L"Dropwatch.dll")) << "the waiting worker keeps it";

    hold.Release();
    EXPECT_TRUE(WaitUntil([] { return ::GetModuleHandleW(L"Dropwatch.dll") == nullptr; }, 10s));
}

// A second StopMonitor finds nothing left to release.
TEST_F(DropwatchProcess, StopEndsTheWorkerAndReleasesUsageStatisticsOnce)
{
    sim::ClearTallyrCalls();
    HMODULE library = ::LoadLibraryW(InstalledPath(L"Dropwatch.dll").c_str());
    ASSERT_NE(nullptr, library);
    ASSERT_EQ(1u, GetProcAddressAs<StartMonitorFn>(library, "StartMonitor")());
    const auto stop = GetProcAddressAs<StopMonitorFn>(library, "StopMonitor");
    stop();
    stop();
    ::FreeLibrary(library);
    EXPECT_TRUE(WaitUntil([] { return ::GetModuleHandleW(L"Dropwatch.dll") == nullptr; }, 10s));
    std::vector<std::wstring> functions;
    for (const auto& call : sim::ReadTallyrCallsFrom(L"Dropwatch.dll")) functions.push_back(call[0]);
    EXPECT_EQ((std::vector<std::wstring>{L"Initialize", L"Finalize"}), functions);
}

struct EditorCase {
    const char* label;
    std::vector<std::wstring> versions;
    const char* status;
    const char* version;
};

class AgentSessionReply : public DropwatchProcess, public ::testing::WithParamInterface<EditorCase> {};

TEST_P(AgentSessionReply, AnswersWithTheEditorState)
{
    ASSERT_TRUE(sim::RegisterEditor(GetParam().versions));
    StartAgent();
    ASSERT_EQ(0, RunProgram(kSimctl, L"companion-app-info \"S&1<2\""));
    // One App.Info write can raise several notifications, each rewriting the
    // reply from empty: keep the first complete copy rather than reading again.
    std::string reply;
    ASSERT_TRUE(WaitUntil(
        [&] {
            reply = SessionInfo();
            return reply.find("S&amp;1&lt;2") != std::string::npos && reply.find("</SessionInfo>") != std::string::npos;
        },
        10s));
    EXPECT_NE(std::string::npos, reply.find(std::string("<InstallStatus>") + GetParam().status + "</InstallStatus>"))
        << reply;
    EXPECT_NE(std::string::npos, reply.find(std::string("<Version>") + GetParam().version + "</Version>")) << reply;
    EXPECT_TRUE(Exists(LocalStateFile(L"App.Info"))) << "App.Info is only read";
}

INSTANTIATE_TEST_SUITE_P(Editors, AgentSessionReply,
                         ::testing::Values(EditorCase{"none", {}, "0", ""},
                                           EditorCase{"three_versions", {L"9.0", L"10.0", L"11.0"}, "1", "11.0"},
                                           EditorCase{"patch_version", {L"11.0", L"11.0.1"}, "1", "11.0.1"},
                                           EditorCase{"four_versions", {L"9.0", L"10.0", L"11.0", L"11.0.1"}, "1",
                                                      "11.0.1"}),
                         [](const ::testing::TestParamInfo<EditorCase>& info) { return std::string(info.param.label); });

TEST_F(DropwatchProcess, HalfWrittenAppInfoIsAnsweredOnceComplete)
{
    StartAgent();
    ASSERT_EQ(0, RunProgram(kSimctl, L"companion-app-info slow-writer --partial"));
    EXPECT_TRUE(WaitUntil([] { return SessionInfo().find("<SessionID>slow-writer</SessionID>") != std::string::npos; },
                          10s));
}

TEST_F(DropwatchProcess, WiFiDisconnectStartsPairwellWithTheNetworkName)
{
    RecorderInPlaceOf pairwell(L"Pairwell.exe");
    ASSERT_TRUE(pairwell.Ready());
    StartAgent();
    ASSERT_EQ(0, RunProgram(kSimctl, L"companion-command WiFiDisconnect \"DIRECT-Cam 01\""));
    ASSERT_TRUE(WaitUntil([] { return !sim::ReadLaunches().empty(); }, 10s));
    EXPECT_EQ((std::vector<sim::Launch>{{kPairwell, L"/Disconnect /DIRECT-Cam 01"}}), sim::ReadLaunches());
    EXPECT_FALSE(Exists(LocalStateFile(L"Command.Info")));
}

// The commands of one file in document order, and what each starts.
struct DispatchRow {
    sim::CompanionCommand command;
    std::vector<sim::Launch> starts;
};

const std::vector<DispatchRow> kDispatch = {
    {{L"LaunchPS", {}}, {{kGlimpser, L""}}},
    {{L"wifidisconnect", {L"Cam 1"}}, {{kPairwell, L"/Disconnect /Cam 1"}}},
    {{L"WiFiDisconnect2", {L"Cam 2"}}, {}},
    {{L"OpenEverything", {L"Cam 3"}}, {}},
    {{L"WiFiDisconnect", {}}, {}},
    {{L"WiFiDisconnect", {L"Cam \"4\" /HaltAll", L"second"}}, {{kPairwell, L"/Disconnect /Cam \"4\" /HaltAll"}}},
    {{L"WiFiDisconnect", {L" /HaltAll"}}, {{kPairwell, L"/Disconnect / /HaltAll"}}},
    // One network is dropped once however often the app asks in a row.
    {{L"WiFiDisconnect", {L" /HaltAll"}}, {}},
    {{L"wifidisconnect", {L" /HaltAll", L"other"}}, {}},
    {{L"WiFiDisconnect", {L"Cam 1"}}, {{kPairwell, L"/Disconnect /Cam 1"}}},
    // Waited for, so every start above has been asked for by then.
    {{L"LaunchPS", {}}, {{kGlimpser, L""}}},
};

TEST_F(DropwatchProcess, CommandsStartWhatTheirNamesSay)
{
    RecorderInPlaceOf glimpser(L"Glimpser.exe");
    RecorderInPlaceOf pairwell(L"Pairwell.exe");
    ASSERT_TRUE(glimpser.Ready() && pairwell.Ready());
    Hold hold(L"Glimpser.exe");
    StartAgent();
    std::vector<sim::CompanionCommand> commands;
    std::vector<sim::Launch> expected;
    for (const DispatchRow& row : kDispatch) {
        commands.push_back(row.command);
        expected.insert(expected.end(), row.starts.begin(), row.starts.end());
    }
    ASSERT_TRUE(sim::WriteCompanionFile(Family(), L"Command.Info", sim::CommandInfoXml(commands)));
    ASSERT_TRUE(WaitUntil([] { return Starts(kGlimpser) == 1; }, 10s));
    EXPECT_FALSE(Exists(LocalStateFile(L"Command.Info"))) << "deleted before the first start";
    hold.Release(2);
    EXPECT_TRUE(WaitUntil([&] { return sim::ReadLaunches() == expected; }, 20s));
    EXPECT_EQ(expected, sim::ReadLaunches());
}

// Files written while a command runs reach the watcher together: each is
// answered without a further write.
TEST_F(DropwatchProcess, BothFilesWrittenDuringACommandAreAnswered)
{
    RecorderInPlaceOf glimpser(L"Glimpser.exe");
    ASSERT_TRUE(glimpser.Ready());
    Hold hold(L"Glimpser.exe");
    StartAgent();
    const std::string launch = sim::CommandInfoXml({{L"LaunchPS", {}}});
    ASSERT_TRUE(sim::WriteCompanionFile(Family(), L"Command.Info", launch));
    ASSERT_TRUE(WaitUntil([] { return Starts(kGlimpser) == 1; }, 10s));
    ASSERT_TRUE(sim::WriteCompanionFile(Family(), L"App.Info", sim::AppInfoXml(L"both")));
    ASSERT_TRUE(sim::WriteCompanionFile(Family(), L"Command.Info", launch));
    // More changes than the watcher's buffer holds: the records are lost.
    for (int photo = 0; photo < 200; ++photo)
        ASSERT_TRUE(sim::WriteCompanionFile(Family(), L"photo-" + std::to_wstring(photo) + L".jpg", "jpeg"));
    hold.Release(2);
    EXPECT_TRUE(WaitUntil([] { return Starts(kGlimpser) == 2 && SessionInfoHolds("<SessionID>both</SessionID>"); },
                          10s));
}

// One write often gives several notifications: a command file that cannot
// simply be deleted still runs once, and goes.
TEST_F(DropwatchProcess, ReadOnlyCommandFileRunsOnceAndGoes)
{
    RecorderInPlaceOf glimpser(L"Glimpser.exe");
    ASSERT_TRUE(glimpser.Ready());
    const std::wstring command = LocalStateFile(L"Command.Info");
    ASSERT_TRUE(sim::WriteCompanionFile(Family(), L"Command.Info", sim::CommandInfoXml({{L"LaunchPS", {}}})));
    ASSERT_TRUE(::SetFileAttributesW(command.c_str(), FILE_ATTRIBUTE_READONLY));
    StartAgent();
    // A name that begins like the command file's makes the watcher read it.
    for (int notification = 0; notification < 3; ++notification) {
        ASSERT_TRUE(sim::WriteCompanionFile(Family(), L"Command.Info.tmp", "x"));
        const std::string marker = "marker-" + std::to_string(notification);
        ASSERT_TRUE(sim::WriteCompanionFile(Family(), L"App.Info", sim::AppInfoXml(std::wstring(marker.begin(), marker.end()))));
        ASSERT_TRUE(WaitUntil([&] { return SessionInfoHolds(marker); }, 10s));
    }
    EXPECT_EQ(1u, Starts(kGlimpser));
    EXPECT_FALSE(Exists(command));
}

// What a picture value may be, and what the editor is given for it (nothing:
// the value is skipped). The value reaches no program but as one picture.
struct PictureRow {
    std::wstring value;
    std::wstring parameters;
};

TEST_F(DropwatchProcess, LaunchPhotosShowsTheDesktopFirstEachTime)
{
    RecorderInPlaceOf glimpser(L"Glimpser.exe");
    ASSERT_TRUE(glimpser.Ready());
    ASSERT_TRUE(sim::RegisterEditor({L"10.0", L"11.0"}));
    TestFolder pictures(L"pictures");
    const std::wstring camera = pictures.Join(L"My Camera");
    const std::wstring blank = camera + L"\\a b.jpg";
    const std::wstring plain = pictures.Join(L"two.jpg");
    ASSERT_TRUE(::CreateDirectoryW(camera.c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(blank, "jpeg") && WriteBytes(plain, "jpeg"));
    ASSERT_TRUE(::CreateSymbolicLinkW(pictures.Join(L"link").c_str(), camera.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY));
    const std::vector<std::vector<PictureRow>> launches = {
        {{blank, L"\"" + blank + L"\""},
         {L"\\\\nowhere.invalid\\share\\a.jpg /openEverything", L""},
         {L"//nowhere.invalid/share/a.jpg", L""},
         {L"\\\\?\\" + plain, L""},
         {L"\\\\.\\" + plain, L""},
         {plain + L" /switch", L""},
         {L"\"" + plain + L"\"", L"\"" + plain + L"\""}},
        {{camera, L""},
         {pictures.Join(L"missing.jpg"), L""},
         {L"two.jpg", L""},
         {L"C:\\" + std::wstring(32764, L'a'), L""},
         {pictures.Join(L"link\\a b.jpg"), L""},
         {L"\"" + plain, L""},
         {plain, L"\"" + plain + L"\""}}};
    std::vector<sim::CompanionCommand> commands;
    const std::wstring editor = L"11.0\\PhotoshopElementsEditor.exe";
    std::vector<sim::Launch> expected;
    for (const std::vector<PictureRow>& rows : launches) {
        commands.push_back({L"LaunchPS", {}});
        expected.push_back({kGlimpser, L""});
        for (const PictureRow& row : rows) {
            commands.back().values.push_back(row.value);
            if (!row.parameters.empty()) expected.push_back({editor, row.parameters});
        }
    }
    StartAgent();
    ASSERT_TRUE(sim::WriteCompanionFile(Family(), L"Command.Info", sim::CommandInfoXml(commands)));
    ASSERT_TRUE(WaitUntil([&] { return sim::ReadLaunches().size() >= expected.size(); }, 20s));
    std::this_thread::sleep_for(500ms);  // a start too many would show by now
    EXPECT_EQ(expected, sim::ReadLaunches());
    EXPECT_FALSE(Exists(LocalStateFile(L"Command.Info")));
    // Each editor starts only once the Glimpser before it has ended.
    unsigned long long glimpserEnded = 0;
    for (const sim::LaunchSpan& span : sim::ReadLaunchSpans()) {
        if (span.program == kGlimpser)
            glimpserEnded = span.ended;
        else
            EXPECT_GE(span.created, glimpserEnded);
        EXPECT_NE(0u, glimpserEnded);
    }
}

// A Glimpser that cannot start must not leave an error box on the watcher's
// thread: the pictures open and the watcher answers on.
TEST_F(DropwatchProcess, PicturesOpenWithoutGlimpser)
{
    RecorderInPlaceOf glimpser(L"Glimpser.exe", false);
    ASSERT_TRUE(glimpser.Ready());
    TestFolder pictures(L"pictures");
    const std::wstring picture = pictures.Join(L"a.jpg");
    ASSERT_TRUE(WriteBytes(picture, "jpeg"));
    StartAgent();
    ASSERT_TRUE(sim::WriteCompanionFile(Family(), L"Command.Info", sim::CommandInfoXml({{L"LaunchPS", {picture}}})));
    EXPECT_TRUE(WaitUntil([&] { return !sim::ReadLaunches().empty(); }, 20s));
    EXPECT_EQ((std::vector<sim::Launch>{{L"11.0\\PhotoshopElementsEditor.exe", L"\"" + picture + L"\""}}),
              sim::ReadLaunches());
    EXPECT_TRUE(WriteUntil(LocalStateFile(L"App.Info"), sim::AppInfoXml(L"after"),
                           [] { return SessionInfoHolds("<SessionID>after</SessionID>"); }));
}

}  // namespace

namespace tapdeck::sim {
void PrintTo(const Launch& launch, std::ostream* out)
{
    std::wstring text = launch.program + L"|" + launch.parameters;
    *out << std::string(text.begin(), text.end());
}
}  // namespace tapdeck::sim
