#include "task_folder.h"

#include <cwchar>
#include <iterator>
#include <vector>

#include "dispatch_object.h"
#include "dispatch_props.h"
#include "task_definition.h"
#include "task_scheduler_extra.h"
#include "task_store.h"
#include "task_xml.h"
#include "unique_handle.h"

namespace tapdeck::sim {
namespace {

// SCHED_E_START_ON_DEMAND, which the mingw-w64 headers lack.
constexpr HRESULT kStartOnDemandRefused = static_cast<HRESULT>(0x80041328L);

// The priority class that Windows starts a task's program with for each task
// priority 0 to 10; the schema's default is 7, below normal ("Priority
// (settingsType) Element": 0 realtime, 1 high, 2-3 above normal, 4-6 normal,
// 7-8 below normal, 9-10 idle). The I/O and memory priorities that go with
// 5 to 10 are not modelled: Wine keeps none.
DWORD PriorityClassOf(const std::wstring& priority)
{
    static constexpr DWORD kClasses[] = {REALTIME_PRIORITY_CLASS,     HIGH_PRIORITY_CLASS,
                                         ABOVE_NORMAL_PRIORITY_CLASS, ABOVE_NORMAL_PRIORITY_CLASS,
                                         NORMAL_PRIORITY_CLASS,       NORMAL_PRIORITY_CLASS,
                                         NORMAL_PRIORITY_CLASS,       BELOW_NORMAL_PRIORITY_CLASS,
                                         BELOW_NORMAL_PRIORITY_CLASS, IDLE_PRIORITY_CLASS,
                                         IDLE_PRIORITY_CLASS};
    const unsigned long level = priority.empty() ? 7 : std::wcstoul(priority.c_str(), nullptr, 10);
    return kClasses[level < std::size(kClasses) ? level : 7];
}

// Windows starts a task's program in its working directory, or in system32,
// at the priority class of the task's priority.
HRESULT StartAction(const std::wstring& xml, std::wstring& started)
{
    if (ElementText(xml, L"AllowStartOnDemand") == L"false") return kStartOnDemandRefused;
    const std::wstring command = ElementText(xml, L"Command");
    if (command.empty()) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    std::wstring folder = ElementText(xml, L"WorkingDirectory");
    if (folder.empty()) {
        wchar_t system[MAX_PATH] = {};
        ::GetSystemDirectoryW(system, MAX_PATH);
        folder = system;
    }
    std::wstring commandLine = L"\"" + command + L"\" " + ElementText(xml, L"Arguments");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    // Wine ignores CreateProcess's priority flags; its SetPriorityClass
    // works, so the class is set before the program's first instruction.
    if (!::CreateProcessW(command.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                          folder.c_str(), &startup, &process))
        return HRESULT_FROM_WIN32(::GetLastError());
    unique_handle thread(process.hThread);
    unique_handle child(process.hProcess);
    ::SetPriorityClass(child.get(), PriorityClassOf(ElementText(xml, L"Priority")));
    ::ResumeThread(thread.get());
    started = L"process " + std::to_wstring(process.dwProcessId) + L": " + commandLine + L" in " + folder;
    return S_OK;
}

HRESULT GiveText(const std::wstring& text, BSTR* out)
{
    if (!out) return E_POINTER;
    *out = ::SysAllocString(text.c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}

class RegisteredTask final : public DispatchObject<IRegisteredTask> {
public:
    explicit RegisteredTask(std::wstring path) : path_(std::move(path)) {}

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override { return GiveText(LeafName(path_), name); }
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override { return GiveText(path_, path); }
    HRESULT STDMETHODCALLTYPE get_State(TASK_STATE* state) override
    {
        if (!state) return E_POINTER;
        *state = TASK_STATE_READY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* enabled) override
    {
        if (!enabled) return E_POINTER;
        *enabled = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Run(VARIANT parameters, IRunningTask** running) override
    {
        return RunEx(parameters, sdk::TASK_RUN_NO_FLAGS, 0, nullptr, running);
    }
    // Starts the task's program as the scheduler would, and records the run
    // with what Windows would have run it as: the principal, the run level
    // and the session asked for.
    HRESULT STDMETHODCALLTYPE RunEx(VARIANT, LONG flags, LONG sessionId, BSTR user, IRunningTask** running) override
    {
        if (running) *running = nullptr;
        std::wstring xml;
        HRESULT hr = ReadTaskFile(path_, xml);
        std::wstring started;
        if (SUCCEEDED(hr)) hr = StartAction(xml, started);
        LogCall(L"RunEx " + path_ + L" flags=" + std::to_wstring(flags) + L" session=" + std::to_wstring(sessionId) +
                    L" user=\"" + Text(user) + L"\" as group=" + ElementText(xml, L"GroupId") + L" runlevel=" +
                    ElementText(xml, L"RunLevel") + L" started " + started,
                hr);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE GetInstances(LONG, IRunningTaskCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_LastRunTime(DATE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_LastTaskResult(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_NumberOfMissedRuns(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_NextRunTime(DATE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Definition(ITaskDefinition**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Xml(BSTR* xml) override
    {
        std::wstring text;
        const HRESULT hr = ReadTaskFile(path_, text);
        return FAILED(hr) ? hr : GiveText(text, xml);
    }
    HRESULT STDMETHODCALLTYPE GetSecurityDescriptor(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSecurityDescriptor(BSTR, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stop(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRunTimes(const LPSYSTEMTIME, const LPSYSTEMTIME, DWORD*, LPSYSTEMTIME*) override
    {
        return E_NOTIMPL;
    }

private:
    std::wstring path_;
};

class RegisteredTaskCollection final : public DispatchObject<IRegisteredTaskCollection> {
public:
    explicit RegisteredTaskCollection(std::vector<std::wstring> paths) : paths_(std::move(paths)) {}

    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override
    {
        if (!count) return E_POINTER;
        *count = static_cast<LONG>(paths_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, IRegisteredTask** task) override
    {
        if (!task) return E_POINTER;
        *task = nullptr;
        if (index.vt != VT_I4 || index.lVal < 1 || index.lVal > static_cast<LONG>(paths_.size()))
            return E_INVALIDARG;
        *task = new RegisteredTask(paths_[static_cast<size_t>(index.lVal - 1)]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }

private:
    std::vector<std::wstring> paths_;
};

class TaskFolder final : public DispatchObject<ITaskFolder> {
public:
    explicit TaskFolder(std::wstring path) : path_(std::move(path)) {}

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override { return GiveText(LeafName(path_), name); }
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override { return GiveText(path_, path); }

    HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, ITaskFolder** folder) override
    {
        if (!folder) return E_POINTER;
        *folder = nullptr;
        const std::wstring target = JoinTaskPath(path_, Text(path));
        if (!FolderExists(target)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        *folder = OpenTaskFolder(target);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFolders(LONG, ITaskFolderCollection**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE CreateFolder(BSTR name, VARIANT sddl, ITaskFolder** folder) override
    {
        if (folder) *folder = nullptr;
        const std::wstring target = JoinTaskPath(path_, Text(name));
        const HRESULT hr = CreateFolderPath(target, sddl);
        LogCall(L"CreateFolder " + target + L" sddl=" + Describe(sddl), hr);
        if (SUCCEEDED(hr) && folder) *folder = OpenTaskFolder(target);
        return hr;
    }

    HRESULT STDMETHODCALLTYPE DeleteFolder(BSTR name, LONG) override
    {
        const std::wstring target = JoinTaskPath(path_, Text(name));
        const HRESULT hr = DeleteFolderPath(target);
        LogCall(L"DeleteFolder " + target, hr);
        return hr;
    }

    HRESULT STDMETHODCALLTYPE GetTask(BSTR path, IRegisteredTask** task) override
    {
        if (!task) return E_POINTER;
        *task = nullptr;
        const std::wstring target = JoinTaskPath(path_, Text(path));
        if (!TaskExists(target)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        *task = new RegisteredTask(target);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTasks(LONG, IRegisteredTaskCollection** tasks) override
    {
        if (!tasks) return E_POINTER;
        *tasks = nullptr;
        if (!FolderExists(path_)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        std::vector<std::wstring> paths;
        for (const auto& name : TaskNames(path_)) paths.push_back(JoinTaskPath(path_, name));
        *tasks = new RegisteredTaskCollection(std::move(paths));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE DeleteTask(BSTR name, LONG) override
    {
        const std::wstring target = JoinTaskPath(path_, Text(name));
        const HRESULT hr = DeleteTaskFile(target);
        LogCall(L"DeleteTask " + target, hr);
        return hr;
    }

    HRESULT STDMETHODCALLTYPE RegisterTask(BSTR, BSTR, LONG, VARIANT, VARIANT, TASK_LOGON_TYPE, VARIANT,
                                           IRegisteredTask**) override
    {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE RegisterTaskDefinition(BSTR path, ITaskDefinition* definition, LONG flags, VARIANT user,
                                                     VARIANT password, TASK_LOGON_TYPE logon, VARIANT sddl,
                                                     IRegisteredTask** task) override
    {
        if (task) *task = nullptr;
        const std::wstring target = JoinTaskPath(path_, Text(path));
        const HRESULT hr = Register(target, definition, flags, user, logon, sddl);
        LogCall(L"RegisterTaskDefinition " + target + L" flags=" + std::to_wstring(flags) + L" user=" +
                    Describe(user) + L" password=" + Describe(password) + L" logon=" + std::to_wstring(logon) +
                    L" sddl=" + Describe(sddl),
                hr);
        if (SUCCEEDED(hr) && task) *task = new RegisteredTask(target);
        return hr;
    }

    HRESULT STDMETHODCALLTYPE GetSecurityDescriptor(LONG info, BSTR* sddl) override
    {
        std::wstring text;
        const HRESULT hr = FolderSecurity(path_, static_cast<SECURITY_INFORMATION>(info), text);
        return FAILED(hr) ? hr : GiveText(text, sddl);
    }

    HRESULT STDMETHODCALLTYPE SetSecurityDescriptor(BSTR sddl, LONG) override
    {
        const HRESULT hr = SetFolderSecurity(path_, Text(sddl));
        LogCall(L"SetSecurityDescriptor " + path_ + L" \"" + Text(sddl) + L"\"", hr);
        return hr;
    }

private:
    HRESULT Register(const std::wstring& target, ITaskDefinition* definition, LONG flags, const VARIANT& user,
                     TASK_LOGON_TYPE logon, const VARIANT&)
    {
        auto data = DataOf(definition);
        if (!data) return E_INVALIDARG;
        if (!FolderExists(path_)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        const bool exists = TaskExists(target);
        if (exists && !(flags & TASK_UPDATE)) return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
        if (!exists && !(flags & TASK_CREATE)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        if (data->actions.empty()) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);  // a task must do something
        if (TakeRegisterFailure()) return E_ACCESSDENIED;

        TaskData task = *data;
        task.uri = target;
        if (user.vt == VT_BSTR && user.bstrVal && *user.bstrVal) {
            if (logon == TASK_LOGON_GROUP) task.groupId = user.bstrVal;
            else task.userId = user.bstrVal;
        }
        if (user.vt == VT_BSTR || logon != TASK_LOGON_NONE) task.logonType = logon;
        return WriteTaskFile(target, TaskXml(task));
    }

    std::wstring path_;
};

}  // namespace

ITaskFolder* OpenTaskFolder(const std::wstring& path) { return new TaskFolder(path); }

}  // namespace tapdeck::sim
