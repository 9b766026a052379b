#include "auto_run_set.h"

#include <windows.h>
#include <objbase.h>

#include "com_ptr.h"
#include "task_scheduler_extra.h"
#include "unique_handle.h"

namespace tapdeck {
namespace {

constexpr wchar_t kVendorFolder[] = L"Vexa Corporation";
constexpr wchar_t kProductFolder[] = L"Tapdeck";
constexpr wchar_t kProductFolderPath[] = L"Vexa Corporation\\Tapdeck";
constexpr wchar_t kTaskName[] = L"NFC Logon Start";
// Guests and anonymous logons get nothing; every signed-in user may read
// and run the task, only administrators may change it.
constexpr wchar_t kProductFolderSddl[] = L"D:(D;OICI;GA;;;BG)(D;OICI;GA;;;AN)(A;OICI;GRGWGX;;;AU)(A;OICI;GA;;;BA)";
constexpr wchar_t kBuiltinUsers[] = L"S-1-5-32-545";

// COM for the calling thread; a thread already in the multithreaded
// apartment keeps it and this scope leaves it alone.
class ComScope {
public:
    ComScope() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool Usable() const noexcept { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT hr_;
};

unique_bstr Bstr(const wchar_t* text) { return unique_bstr(::SysAllocString(text)); }

// A VARIANT that owns its string.
class BstrVariant {
public:
    explicit BstrVariant(const wchar_t* text)
    {
        ::VariantInit(&value_);
        value_.vt = VT_BSTR;
        value_.bstrVal = ::SysAllocString(text);
    }
    ~BstrVariant() { ::VariantClear(&value_); }
    BstrVariant(const BstrVariant&) = delete;
    BstrVariant& operator=(const BstrVariant&) = delete;
    const VARIANT& get() const noexcept { return value_; }

private:
    VARIANT value_;
};

VARIANT Empty()
{
    VARIANT value;
    ::VariantInit(&value);
    return value;
}

HRESULT ConnectService(com_ptr<ITaskService>& service)
{
    HRESULT hr = ::CoCreateInstance(__uuidof(TaskScheduler), nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskService),
                                    service.put_void());
    if (FAILED(hr)) return hr;
    return service->Connect(Empty(), Empty(), Empty(), Empty());
}

HRESULT GetFolder(ITaskService* service, const wchar_t* path, com_ptr<ITaskFolder>& folder)
{
    unique_bstr name = Bstr(path);
    if (!name) return E_OUTOFMEMORY;
    return service->GetFolder(name.get(), folder.put());
}

HRESULT GetSubfolder(ITaskFolder* parent, const wchar_t* path, com_ptr<ITaskFolder>& folder)
{
    unique_bstr name = Bstr(path);
    if (!name) return E_OUTOFMEMORY;
    return parent->GetFolder(name.get(), folder.put());
}

// The existing subfolder, or a new one with the given security descriptor.
HRESULT OpenOrCreateFolder(ITaskFolder* parent, const wchar_t* name, const VARIANT& sddl, com_ptr<ITaskFolder>& folder)
{
    if (SUCCEEDED(GetSubfolder(parent, name, folder))) return S_OK;
    unique_bstr path = Bstr(name);
    if (!path) return E_OUTOFMEMORY;
    return parent->CreateFolder(path.get(), sddl, folder.put());
}

// The connected service and the product's task folder, with the root folder
// it hangs under.
HRESULT OpenProductFolder(com_ptr<ITaskService>& service, com_ptr<ITaskFolder>& root, com_ptr<ITaskFolder>& product)
{
    HRESULT hr = ConnectService(service);
    if (FAILED(hr)) return hr;
    hr = GetFolder(service.get(), L"\\", root);
    if (FAILED(hr)) return hr;
    return GetSubfolder(root.get(), kProductFolderPath, product);
}

HRESULT PutText(ITaskSettings* settings, HRESULT (STDMETHODCALLTYPE ITaskSettings::*put)(BSTR), const wchar_t* text)
{
    unique_bstr value = Bstr(text);
    if (!value) return E_OUTOFMEMORY;
    return (settings->*put)(value.get());
}

HRESULT SetPrincipal(ITaskDefinition* task)
{
    com_ptr<IPrincipal> principal;
    HRESULT hr = task->get_Principal(principal.put());
    if (FAILED(hr)) return hr;
    return principal->put_RunLevel(TASK_RUNLEVEL_LUA);
}

HRESULT SetAuthor(ITaskDefinition* task)
{
    com_ptr<IRegistrationInfo> info;
    HRESULT hr = task->get_RegistrationInfo(info.put());
    if (FAILED(hr)) return hr;
    unique_bstr author = Bstr(L"VEXA");
    if (!author) return E_OUTOFMEMORY;
    return info->put_Author(author.get());
}

constexpr int kNormalPriority = 4;

HRESULT SetSettings(ITaskDefinition* task)
{
    com_ptr<ITaskSettings> settings;
    HRESULT hr = task->get_Settings(settings.put());
    if (FAILED(hr)) return hr;
    hr = settings->put_DisallowStartIfOnBatteries(VARIANT_FALSE);
    if (FAILED(hr)) return hr;
    hr = settings->put_StopIfGoingOnBatteries(VARIANT_FALSE);
    if (FAILED(hr)) return hr;
    hr = PutText(settings.get(), &ITaskSettings::put_ExecutionTimeLimit, L"PT0S");
    if (FAILED(hr)) return hr;
    hr = settings->put_MultipleInstances(TASK_INSTANCES_PARALLEL);
    if (FAILED(hr)) return hr;
    hr = settings->put_AllowDemandStart(VARIANT_TRUE);
    if (FAILED(hr)) return hr;
    hr = settings->put_AllowHardTerminate(VARIANT_TRUE);
    if (FAILED(hr)) return hr;
    hr = settings->put_StartWhenAvailable(VARIANT_TRUE);
    if (FAILED(hr)) return hr;
    // The scheduler's default, 7, starts the agent and all it starts (Pairwell,
    // the photo editor) at below-normal CPU, I/O and memory priority; 4 is
    // normal in all three.
    return settings->put_Priority(kNormalPriority);
}

HRESULT AddLogonTrigger(ITaskDefinition* task)
{
    com_ptr<ITriggerCollection> triggers;
    HRESULT hr = task->get_Triggers(triggers.put());
    if (FAILED(hr)) return hr;
    com_ptr<ITrigger> trigger;
    hr = triggers->Create(TASK_TRIGGER_LOGON, trigger.put());
    if (FAILED(hr)) return hr;
    com_ptr<ILogonTrigger> logon;
    hr = trigger.as(__uuidof(ILogonTrigger), logon);
    if (FAILED(hr)) return hr;
    unique_bstr delay = Bstr(L"PT20S");
    unique_bstr id = Bstr(L"Tapdeck");
    if (!delay || !id) return E_OUTOFMEMORY;
    hr = logon->put_Delay(delay.get());
    if (FAILED(hr)) return hr;
    return logon->put_Id(id.get());
}

HRESULT AddExecAction(ITaskDefinition* task, const std::wstring& executablePath)
{
    com_ptr<IActionCollection> actions;
    HRESULT hr = task->get_Actions(actions.put());
    if (FAILED(hr)) return hr;
    com_ptr<IAction> action;
    hr = actions->Create(TASK_ACTION_EXEC, action.put());
    if (FAILED(hr)) return hr;
    com_ptr<IExecAction> exec;
    hr = action.as(__uuidof(IExecAction), exec);
    if (FAILED(hr)) return hr;
    // The agent runs in its own folder, not in the scheduler's default
    // (system32) nor wherever its installer was started from.
    const std::wstring folder = executablePath.substr(0, executablePath.find_last_of(L'\\'));
    unique_bstr path = Bstr(executablePath.c_str());
    unique_bstr arguments = Bstr(L"/AutoStart");
    unique_bstr workingDirectory = Bstr(folder.c_str());
    if (!path || !arguments || !workingDirectory) return E_OUTOFMEMORY;
    hr = exec->put_Path(path.get());
    if (FAILED(hr)) return hr;
    hr = exec->put_Arguments(arguments.get());
    if (FAILED(hr)) return hr;
    return exec->put_WorkingDirectory(workingDirectory.get());
}

}  // namespace

bool CAutoRunSet::Register(const std::wstring& executablePath)
{
    ComScope com;
    if (!com.Usable()) return false;

    com_ptr<ITaskService> service;
    if (FAILED(ConnectService(service))) return false;

    com_ptr<ITaskFolder> root;
    if (FAILED(GetFolder(service.get(), L"\\", root))) return false;
    com_ptr<ITaskFolder> vendor;
    if (FAILED(OpenOrCreateFolder(root.get(), kVendorFolder, Empty(), vendor))) return false;
    com_ptr<ITaskFolder> product;
    const BstrVariant productSddl(kProductFolderSddl);
    if (FAILED(OpenOrCreateFolder(vendor.get(), kProductFolder, productSddl.get(), product))) return false;

    unique_bstr taskName = Bstr(kTaskName);
    if (!taskName) return false;
    product->DeleteTask(taskName.get(), 0);  // the task may not exist yet

    com_ptr<ITaskDefinition> task;
    if (FAILED(service->NewTask(0, task.put()))) return false;
    if (FAILED(SetPrincipal(task.get()))) return false;
    if (FAILED(SetAuthor(task.get()))) return false;
    if (FAILED(SetSettings(task.get()))) return false;
    if (FAILED(AddLogonTrigger(task.get()))) return false;
    if (FAILED(AddExecAction(task.get(), executablePath))) return false;

    const BstrVariant user(kBuiltinUsers);
    const BstrVariant sddl(L"");
    com_ptr<IRegisteredTask> registered;
    return SUCCEEDED(product->RegisterTaskDefinition(taskName.get(), task.get(), TASK_CREATE_OR_UPDATE, user.get(),
                                                     Empty(), TASK_LOGON_GROUP, sddl.get(), registered.put()));
}

bool CAutoRunSet::Run(DWORD sessionId)
{
    ComScope com;
    if (!com.Usable()) return false;

    com_ptr<ITaskService> service;
    com_ptr<ITaskFolder> root;
    com_ptr<ITaskFolder> product;
    if (FAILED(OpenProductFolder(service, root, product))) return false;
    unique_bstr taskName = Bstr(kTaskName);
    if (!taskName) return false;
    com_ptr<IRegisteredTask> task;
    if (FAILED(product->GetTask(taskName.get(), task.put()))) return false;
    // The task's principal is the Users group: run in a session, the
    // scheduler starts it as the user of that session, with a filtered token.
    unique_bstr noUser = Bstr(L"");
    com_ptr<IRunningTask> running;
    return SUCCEEDED(task->RunEx(Empty(), sdk::TASK_RUN_USE_SESSION_ID, static_cast<LONG>(sessionId), noUser.get(),
                                 running.put()));
}

bool CAutoRunSet::Unregister()
{
    ComScope com;
    if (!com.Usable()) return false;

    com_ptr<ITaskService> service;
    com_ptr<ITaskFolder> root;
    com_ptr<ITaskFolder> product;
    if (FAILED(OpenProductFolder(service, root, product))) return false;
    unique_bstr taskName = Bstr(kTaskName);
    if (!taskName) return false;
    if (FAILED(product->DeleteTask(taskName.get(), 0))) return false;

    if (FAILED(GetSubfolder(root.get(), kProductFolderPath, product))) return false;
    com_ptr<IRegisteredTaskCollection> tasks;
    if (FAILED(product->GetTasks(0, tasks.put()))) return false;
    LONG count = 0;
    if (FAILED(tasks->get_Count(&count))) return false;
    if (count > 0) return true;  // someone else's task keeps the folder

    com_ptr<ITaskFolder> vendor;
    if (SUCCEEDED(GetSubfolder(root.get(), kVendorFolder, vendor))) {
        unique_bstr folderName = Bstr(kProductFolder);
        if (folderName) vendor->DeleteFolder(folderName.get(), 0);
    }
    return true;
}

}  // namespace tapdeck
