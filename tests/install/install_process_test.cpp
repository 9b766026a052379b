// The agent's installation switches, observed through the Task Scheduler and
// shell link stand-ins of the prefix: the task XML where Windows keeps it,
// the task folders with their security, and the .lnk file on the desktop.
#include <gtest/gtest.h>
#include <objbase.h>
#include <propkey.h>
#include <propsys.h>
#include <sddl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <sstream>

#include "agent_messages.h"
#include "com_ptr.h"
#include "known_folder.h"
#include "link_file.h"
#include "observe_app.h"
#include "sim_state.h"
#include "support/process.h"
#include "task_scheduler_extra.h"
#include "tpd_app.h"
#include "unique_handle.h"
#include "xml_paths.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::test;

namespace {

constexpr wchar_t kProductFolderSddl[] = L"D:(D;OICI;GA;;;BG)(D;OICI;GA;;;AN)(A;OICI;GRGWGX;;;AU)(A;OICI;GA;;;BA)";

std::wstring AgentFolder() { return Agent().substr(0, Agent().find_last_of(L'\\')); }

std::wstring TasksDir()
{
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system) + L"\\Tasks";
}

std::wstring TaskFile(const std::wstring& name) { return TasksDir() + L"\\Vexa Corporation\\Tapdeck\\" + name; }

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring LinkIn(REFKNOWNFOLDERID id, const wchar_t* name = L"Tapdeck")
{
    return KnownFolderPath(id) + L"\\" + name + L".lnk";
}

std::wstring ShortcutPath() { return LinkIn(FOLDERID_PublicDesktop); }
// The shortcut that toasts need: all users' Start menu, Programs.
std::wstring StartMenuPath() { return LinkIn(FOLDERID_CommonPrograms); }
// Beside it, the tag writer's.
std::wstring WriterPath() { return LinkIn(FOLDERID_CommonPrograms, L"Write a Wi-Fi tag"); }

std::wstring ReadUtf16File(const std::wstring& path)
{
    const std::vector<BYTE> bytes = sim::ReadWholeFile(path);
    std::wstring text(bytes.size() / 2, L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    if (!text.empty() && text[0] == L'\xFEFF') text.erase(0, 1);
    return text;
}

std::vector<std::wstring> SchedulerCalls(const std::wstring& prefix)
{
    std::vector<std::wstring> lines;
    std::wistringstream log(sim::ReadStateFile(L"taskscheduler", L"calls.log"));
    for (std::wstring line; std::getline(log, line);)
        if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    return lines;
}

std::wstring NormalSddl(const std::wstring& sddl)
{
    unique_hlocal binary;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            sddl.c_str(), SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(binary.put()), nullptr))
        return L"(invalid) " + sddl;
    unique_hlocal text;
    ::ConvertSecurityDescriptorToStringSecurityDescriptorW(binary.get(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                           reinterpret_cast<LPWSTR*>(text.put()), nullptr);
    return text ? static_cast<const wchar_t*>(text.get()) : L"";
}

unique_bstr Bstr(const wchar_t* text) { return unique_bstr(::SysAllocString(text)); }

VARIANT Empty()
{
    VARIANT v;
    ::VariantInit(&v);
    return v;
}

com_ptr<ITaskService> Scheduler()
{
    com_ptr<ITaskService> service;
    EXPECT_HRESULT_SUCCEEDED(::CoCreateInstance(__uuidof(TaskScheduler), nullptr, CLSCTX_INPROC_SERVER,
                                                __uuidof(ITaskService), service.put_void()));
    if (service) {
        EXPECT_HRESULT_SUCCEEDED(service->Connect(Empty(), Empty(), Empty(), Empty()));
    }
    return service;
}

com_ptr<ITaskFolder> Folder(const wchar_t* path)
{
    com_ptr<ITaskFolder> folder;
    com_ptr<ITaskService> service = Scheduler();
    if (service) service->GetFolder(Bstr(path).get(), folder.put());
    return folder;
}

std::wstring FolderSddl(const wchar_t* path)
{
    com_ptr<ITaskFolder> folder = Folder(path);
    if (!folder) return L"(no folder)";
    unique_bstr sddl;
    if (FAILED(folder->GetSecurityDescriptor(DACL_SECURITY_INFORMATION, sddl.put()))) return L"(failed)";
    return NormalSddl(sddl.get());
}

// Another program's task in the agent's folder.
void RegisterForeignTask(const wchar_t* name)
{
    com_ptr<ITaskService> service = Scheduler();
    com_ptr<ITaskFolder> folder = Folder(L"\\Vexa Corporation\\Tapdeck");
    ASSERT_TRUE(service && folder);
    com_ptr<ITaskDefinition> task;
    ASSERT_HRESULT_SUCCEEDED(service->NewTask(0, task.put()));
    com_ptr<IActionCollection> actions;
    ASSERT_HRESULT_SUCCEEDED(task->get_Actions(actions.put()));
    com_ptr<IAction> action;
    ASSERT_HRESULT_SUCCEEDED(actions->Create(TASK_ACTION_EXEC, action.put()));
    com_ptr<IExecAction> exec;
    ASSERT_HRESULT_SUCCEEDED(action.as(__uuidof(IExecAction), exec));
    ASSERT_HRESULT_SUCCEEDED(exec->put_Path(Bstr(L"C:\\windows\\notepad.exe").get()));
    com_ptr<IRegisteredTask> registered;
    ASSERT_HRESULT_SUCCEEDED(folder->RegisterTaskDefinition(Bstr(name).get(), task.get(), TASK_CREATE_OR_UPDATE,
                                                            Empty(), Empty(), TASK_LOGON_INTERACTIVE_TOKEN, Empty(),
                                                            registered.put()));
}

// Removes every trace of the agent's task folders, as on a fresh machine.
void ResetScheduler()
{
    for (const wchar_t* name : {L"NFC Logon Start", L"Foreign Task"}) ::DeleteFileW(TaskFile(name).c_str());
    if (com_ptr<ITaskFolder> vendor = Folder(L"\\Vexa Corporation")) vendor->DeleteFolder(Bstr(L"Tapdeck").get(), 0);
    if (com_ptr<ITaskFolder> root = Folder(L"\\")) root->DeleteFolder(Bstr(L"Vexa Corporation").get(), 0);
    sim::DeleteStateFile(L"taskscheduler", L"calls.log");
    sim::DeleteStateFile(L"taskscheduler", L"fail-register");
}

std::wstring ModuleOf(IUnknown* object)
{
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCWSTR>(*reinterpret_cast<void**>(object)), &module);
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(module, path, MAX_PATH);
    const std::wstring full = path;
    return full.substr(full.find_last_of(L'\\') + 1);
}

class Installation : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
    void SetUp() override
    {
        ResetScheduler();
        ::DeleteFileW(ShortcutPath().c_str());
        ::DeleteFileW(StartMenuPath().c_str());
        ::DeleteFileW(WriterPath().c_str());
    }
    // The prefix is left registered as its set-up made it, by the product's
    // own install step, for the tests that follow.
    void TearDown() override
    {
        ResetScheduler();
        ::DeleteFileW(ShortcutPath().c_str());
        EXPECT_EQ(0, RunProgram(Agent(), L"/Install"));
    }
    static void Run(const wchar_t* arguments) { ASSERT_EQ(0, RunProgram(Agent(), arguments)); }
};

TEST_F(Installation, PrefixServesTheStandInsForBothClasses)
{
    com_ptr<IUnknown> scheduler;
    ASSERT_HRESULT_SUCCEEDED(::CoCreateInstance(__uuidof(TaskScheduler), nullptr, CLSCTX_INPROC_SERVER,
                                                __uuidof(ITaskService), scheduler.put_void()));
    EXPECT_EQ(L"tapdeck_taskscheduler.dll", ModuleOf(scheduler.get()));
    com_ptr<IUnknown> link;
    ASSERT_HRESULT_SUCCEEDED(
        ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void()));
    EXPECT_EQ(L"tapdeck_shelllink.dll", ModuleOf(link.get()));
}

TEST_F(Installation, InstallRegistersTheLogonTaskAsSpecifiedInItsXml)
{
    Run(L"/Install");
    XmlPaths xml;
    ASSERT_TRUE(ReadXmlPaths(ReadUtf16File(TaskFile(L"NFC Logon Start")), xml));

    const std::pair<const wchar_t*, std::wstring> expected[] = {
        {L"Task/RegistrationInfo/Author", L"VEXA"},
        {L"Task/RegistrationInfo/URI", L"\\Vexa Corporation\\Tapdeck\\NFC Logon Start"},
        {L"Task/Triggers/LogonTrigger@id", L"Tapdeck"},
        {L"Task/Triggers/LogonTrigger/Delay", L"PT20S"},
        {L"Task/Principals/Principal/GroupId", L"S-1-5-32-545"},
        {L"Task/Principals/Principal/RunLevel", L"LeastPrivilege"},
        {L"Task/Settings/DisallowStartIfOnBatteries", L"false"},
        {L"Task/Settings/StopIfGoingOnBatteries", L"false"},
        {L"Task/Settings/ExecutionTimeLimit", L"PT0S"},
        {L"Task/Settings/MultipleInstancesPolicy", L"Parallel"},
        {L"Task/Settings/AllowStartOnDemand", L"true"},
        {L"Task/Settings/AllowHardTerminate", L"true"},
        {L"Task/Settings/StartWhenAvailable", L"true"},
        {L"Task/Settings/Priority", L"4"},  // normal CPU, I/O and memory priority
        {L"Task/Actions/Exec/Command", Agent()},
        {L"Task/Actions/Exec/Arguments", L"/AutoStart"},
        {L"Task/Actions/Exec/WorkingDirectory", AgentFolder()},
    };
    for (const auto& [path, value] : expected)
        EXPECT_EQ(std::vector<std::wstring>{value}, ValuesAt(xml, path)) << path;

    // Any user's logon, one trigger, one action, and nothing set beyond the specified values.
    EXPECT_TRUE(ValuesAt(xml, L"Task/Triggers/LogonTrigger/UserId").empty());
    EXPECT_TRUE(ValuesAt(xml, L"Task/Principals/Principal/UserId").empty());
    EXPECT_TRUE(ValuesAt(xml, L"Task/Principals/Principal/LogonType").empty());
    EXPECT_EQ(1u, ValuesAt(xml, L"Task/Triggers/LogonTrigger@id").size());
    EXPECT_EQ(1u, ValuesAt(xml, L"Task/Actions/Exec/Command").size());
    for (const wchar_t* untouched : {L"Task/Settings/Hidden", L"Task/Settings/WakeToRun",
                                     L"Task/Settings/RunOnlyIfNetworkAvailable", L"Task/RegistrationInfo/Description"})
        EXPECT_TRUE(ValuesAt(xml, untouched).empty()) << untouched;
}

TEST_F(Installation, InstallRegistersWithTheBuiltinUsersGroupAndCreatesBothFolders)
{
    Run(L"/Install");
    EXPECT_EQ((std::vector<std::wstring>{
                  L"CreateFolder \\Vexa Corporation sddl=(empty) -> 0x00000000",
                  L"CreateFolder \\Vexa Corporation\\Tapdeck sddl=\"" + std::wstring(kProductFolderSddl) +
                      L"\" -> 0x00000000"}),
              SchedulerCalls(L"CreateFolder"));
    EXPECT_EQ(std::vector<std::wstring>{L"RegisterTaskDefinition \\Vexa Corporation\\Tapdeck\\NFC Logon Start "
                                        L"flags=6 user=\"S-1-5-32-545\" password=(empty) logon=4 sddl=\"\" "
                                        L"-> 0x00000000"},
              SchedulerCalls(L"RegisterTaskDefinition"));
    EXPECT_EQ(NormalSddl(kProductFolderSddl), FolderSddl(L"\\Vexa Corporation\\Tapdeck"));
}

TEST_F(Installation, SecondInstallRecreatesTheTaskAndKeepsTheFoldersAndTheirSecurity)
{
    Run(L"/Install");
    // Someone tightened the folder since: a second install must not undo it.
    const std::wstring changed = L"D:(A;OICI;GA;;;BA)";
    ASSERT_HRESULT_SUCCEEDED(Folder(L"\\Vexa Corporation\\Tapdeck")->SetSecurityDescriptor(Bstr(changed.c_str()).get(), 0));
    sim::DeleteStateFile(L"taskscheduler", L"calls.log");

    Run(L"/Install");
    EXPECT_TRUE(SchedulerCalls(L"CreateFolder").empty());
    EXPECT_EQ(std::vector<std::wstring>{L"DeleteTask \\Vexa Corporation\\Tapdeck\\NFC Logon Start -> 0x00000000"},
              SchedulerCalls(L"DeleteTask"));
    EXPECT_EQ(1u, SchedulerCalls(L"RegisterTaskDefinition").size());
    EXPECT_TRUE(Exists(TaskFile(L"NFC Logon Start")));
    EXPECT_EQ(NormalSddl(changed), FolderSddl(L"\\Vexa Corporation\\Tapdeck"));
}

struct RetryCase {
    const wchar_t* failures;
    size_t attempts;
    bool registered;
};

class InstallRetry : public Installation, public ::testing::WithParamInterface<RetryCase> {};

TEST_P(InstallRetry, RetriesTheWholeRegistrationUpToTenTimesAndSaysWhenItFailed)
{
    sim::WriteStateFile(L"taskscheduler", L"fail-register", GetParam().failures);
    EXPECT_EQ(GetParam().registered ? 0 : CTPDApp::kOneShotFailed, RunProgram(Agent(), L"/Install"));
    EXPECT_EQ(GetParam().attempts, SchedulerCalls(L"RegisterTaskDefinition").size());
    EXPECT_EQ(GetParam().registered, Exists(TaskFile(L"NFC Logon Start")));
}

INSTANTIATE_TEST_SUITE_P(Failures, InstallRetry,
                         ::testing::Values(RetryCase{L"0", 1, true}, RetryCase{L"3", 4, true},
                                           RetryCase{L"9", 10, true}, RetryCase{L"10", 10, false},
                                           RetryCase{L"25", 10, false}));

TEST_F(Installation, UninstallRemovesTaskFolderAndShortcutButKeepsTheVendorFolder)
{
    Run(L"/Install");
    Run(L"/CreateDesktopShortcut");
    ASSERT_TRUE(Exists(ShortcutPath()));

    ASSERT_TRUE(Exists(StartMenuPath()));
    ASSERT_TRUE(Exists(WriterPath()));

    Run(L"/Uninstall");
    EXPECT_FALSE(Exists(TaskFile(L"NFC Logon Start")));
    EXPECT_FALSE(Exists(TasksDir() + L"\\Vexa Corporation\\Tapdeck"));
    EXPECT_TRUE(Exists(TasksDir() + L"\\Vexa Corporation"));
    EXPECT_FALSE(Exists(ShortcutPath()));
    EXPECT_FALSE(Exists(StartMenuPath()));
    EXPECT_FALSE(Exists(WriterPath()));
}

TEST_F(Installation, UninstallKeepsAFolderThatHoldsAnotherTask)
{
    Run(L"/Install");
    RegisterForeignTask(L"Foreign Task");

    Run(L"/Uninstall");
    EXPECT_FALSE(Exists(TaskFile(L"NFC Logon Start")));
    EXPECT_TRUE(Exists(TaskFile(L"Foreign Task")));
    EXPECT_TRUE(SchedulerCalls(L"DeleteFolder").empty());
}

TEST_F(Installation, UninstallWithoutTheTaskStillDeletesTheShortcut)
{
    Run(L"/Install");
    ::DeleteFileW(TaskFile(L"NFC Logon Start").c_str());
    Run(L"/CreateDesktopShortcut");
    sim::DeleteStateFile(L"taskscheduler", L"calls.log");

    Run(L"/Uninstall");
    EXPECT_FALSE(Exists(ShortcutPath()));
    EXPECT_TRUE(Exists(TasksDir() + L"\\Vexa Corporation\\Tapdeck"));  // the failed deletion ends before the folder
    EXPECT_TRUE(SchedulerCalls(L"DeleteFolder").empty());
}

TEST_F(Installation, RunLogonTaskStartsTheAgentThroughTheTaskInTheCallersSession)
{
    Run(L"/Install");
    Run(L"/RunLogonTask");
    DWORD session = 0;
    ASSERT_TRUE(::ProcessIdToSessionId(::GetCurrentProcessId(), &session));
    const std::vector<std::wstring> runs = SchedulerCalls(L"RunEx");
    ASSERT_EQ(1u, runs.size());
    const std::wstring asked = L"RunEx \\Vexa Corporation\\Tapdeck\\NFC Logon Start flags=4 session=" +
                               std::to_wstring(session) +
                               L" user=\"\" as group=S-1-5-32-545 runlevel=LeastPrivilege started process ";
    ASSERT_EQ(asked, runs[0].substr(0, asked.size()));
    EXPECT_EQ(L": \"" + Agent() + L"\" /AutoStart in " + AgentFolder() + L" -> 0x00000000",
              runs[0].substr(runs[0].find(L':')));

    // The started agent is the one that an installer's halt ends.
    unique_handle agent(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                      std::wcstoul(runs[0].c_str() + asked.size(), nullptr, 10)));
    ASSERT_TRUE(agent);
    // What the agent starts (Pairwell, the photo editor) inherits it.
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), ::GetPriorityClass(agent.get()));
    WaitUntil([&] { return FindAgentWindow() || ::WaitForSingleObject(agent.get(), 0) == WAIT_OBJECT_0; }, 20s);
    Run(L"/HaltAllAndWait");
    // The presence mutex comes free as the agent's last thread ends; the
    // process itself is signalled a moment after that.
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(agent.get(), 5000));
}

TEST_F(Installation, RunLogonTaskWithoutTheTaskStartsNothing)
{
    Run(L"/RunLogonTask");
    EXPECT_TRUE(SchedulerCalls(L"RunEx").empty());
}

// An installer's halt: what stands in for a running program of another
// session holds the all-sessions presence mutex until it was asked to close.
class HaltAllAndWait : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(HaltAllAndWait, AsksToCloseAndWaitsUntilTheHolderOfTheAllSessionsMutexLetsGo)
{
    CObserveApp running(GetParam());
    running.CreateAllMutex();
    ASSERT_TRUE(running.AllMutex());
    unique_handle halt = StartProgram(Agent(), L"/HaltAllAndWait");
    ASSERT_TRUE(halt);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(running.AllShutdownEvent(), 20000));
    EXPECT_EQ(-1, WaitForExit(halt.get(), 1s));
    ::ReleaseMutex(running.AllMutex());
    EXPECT_EQ(0, WaitForExit(halt.get(), 20s));
}

INSTANTIATE_TEST_SUITE_P(AgentAndPairwell, HaltAllAndWait, ::testing::Values(kAgentIdentity, kPairwellIdentity));

// The public desktop's shortcut, and the Start menu's that "/Install" writes
// (the one Windows reads the app id from for toasts).
TEST_F(Installation, ShortcutFileHoldsTargetAndBothPropertiesInItsPropertyStoreBlock)
{
    struct Shortcut {
        const wchar_t* command;
        std::wstring path;
        const wchar_t* arguments;
        bool appId;  // the toasts' id and the start-pin option; the tag writer shows no toasts
    };
    const Shortcut shortcuts[] = {{L"/CreateDesktopShortcut", ShortcutPath(), L"", true},
                                  {L"/Install", StartMenuPath(), L"", true},
                                  {L"/Install", WriterPath(), L"/WriteWifiTag", false}};
    for (const auto& [command, path, arguments, appId] : shortcuts) {
        SCOPED_TRACE(path);
        Run(command);
        sim::LinkLayout link;
        ASSERT_TRUE(sim::ParseLink(sim::ReadWholeFile(path), link));
        EXPECT_EQ(Agent(), link.localBasePath);
        EXPECT_EQ(arguments, link.arguments);
        ASSERT_EQ(appId ? 2u : 0u, link.properties.size());
        if (!appId) continue;
        for (const auto& p : link.properties) EXPECT_TRUE(::IsEqualGUID(PKEY_AppUserModel_ID.fmtid, p.formatId));
        EXPECT_EQ(PKEY_AppUserModel_ID.pid, link.properties[0].id);
        EXPECT_EQ(VT_LPWSTR, link.properties[0].type);
        EXPECT_EQ(L"Vexa.Quor.Tapdeck", link.properties[0].text);
        EXPECT_EQ(sdk::PKEY_AppUserModel_StartPinOption.pid, link.properties[1].id);
        EXPECT_EQ(VT_UI4, link.properties[1].type);
        EXPECT_EQ(0u, link.properties[1].number);
    }
    // Started from the Start menu, the agent runs in its install folder.
    for (const std::wstring& path : {StartMenuPath(), WriterPath()}) {
        com_ptr<IShellLinkW> link;
        ASSERT_HRESULT_SUCCEEDED(
            ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void()));
        com_ptr<IPersistFile> file;
        ASSERT_HRESULT_SUCCEEDED(link.as(IID_IPersistFile, file));
        ASSERT_HRESULT_SUCCEEDED(file->Load(path.c_str(), STGM_READ));
        wchar_t folder[MAX_PATH] = {};
        ASSERT_HRESULT_SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH));
        EXPECT_EQ(AgentFolder(), folder);
    }
}

TEST_F(Installation, ShortcutReadsBackThroughTheShellsPropertyStore)
{
    // Whatever was there before is replaced.
    {
        unique_file junk(::CreateFileW(ShortcutPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(junk);
        DWORD written = 0;
        ::WriteFile(junk.get(), "not a link", 10, &written, nullptr);
    }
    Run(L"/CreateDesktopShortcut");

    com_ptr<IShellLinkW> link;
    ASSERT_HRESULT_SUCCEEDED(
        ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void()));
    com_ptr<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(link.as(IID_IPersistFile, file));
    ASSERT_HRESULT_SUCCEEDED(file->Load(ShortcutPath().c_str(), STGM_READ));

    wchar_t target[MAX_PATH] = {};
    ASSERT_HRESULT_SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH));
    EXPECT_EQ(Agent(), target);
    wchar_t arguments[MAX_PATH] = {L'x'};
    ASSERT_HRESULT_SUCCEEDED(link->GetArguments(arguments, MAX_PATH));
    EXPECT_STREQ(L"", arguments);

    com_ptr<IPropertyStore> store;
    ASSERT_HRESULT_SUCCEEDED(link.as(IID_IPropertyStore, store));
    PROPVARIANT id;
    ASSERT_HRESULT_SUCCEEDED(store->GetValue(PKEY_AppUserModel_ID, &id));
    ASSERT_EQ(VT_LPWSTR, id.vt);
    EXPECT_STREQ(L"Vexa.Quor.Tapdeck", id.pwszVal);
    ::PropVariantClear(&id);
    PROPVARIANT pin;
    ASSERT_HRESULT_SUCCEEDED(store->GetValue(sdk::PKEY_AppUserModel_StartPinOption, &pin));
    EXPECT_EQ(VT_UI4, pin.vt);
    EXPECT_EQ(0u, pin.ulVal);
}

}  // namespace
