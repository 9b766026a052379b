#include "setup_shared.h"

#include <objbase.h>
#include <shlobj.h>
#include <taskschd.h>

#include "com_ptr.h"
#include "unique_handle.h"

namespace tapdeck::setup {
namespace {

// The agent's single-instance mutex: it exists exactly while an agent runs.
constexpr wchar_t kAgentInstanceMutex[] = L"Tapdeck[Guid({CD9EEDB5-8581-4B4B-99DC-8EB3A7A4F15E})]";
constexpr DWORD kHaltWaitMs = 15000;

bool AgentRunning()
{
    unique_mutex mutex(::OpenMutexW(SYNCHRONIZE, FALSE, kAgentInstanceMutex));
    return static_cast<bool>(mutex);
}

VARIANT Empty()
{
    VARIANT value;
    ::VariantInit(&value);
    return value;
}

com_ptr<ITaskFolder> RootTaskFolder()
{
    com_ptr<ITaskService> service;
    com_ptr<ITaskFolder> root;
    if (FAILED(::CoCreateInstance(__uuidof(TaskScheduler), nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskService),
                                  service.put_void())))
        return root;
    if (FAILED(service->Connect(Empty(), Empty(), Empty(), Empty()))) return root;
    unique_bstr path(::SysAllocString(L"\\"));
    if (path) service->GetFolder(path.get(), root.put());
    return root;
}

}  // namespace

std::wstring ProgramFilesDir()
{
    PWSTR path = nullptr;
    std::wstring out;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_ProgramFiles, 0, nullptr, &path)) && path) out = path;
    ::CoTaskMemFree(path);
    return out;
}

std::wstring VendorDir() { return ProgramFilesDir() + L"\\Vexa"; }
std::wstring InstallDir() { return VendorDir() + L"\\Tapdeck"; }

std::wstring OwnPath()
{
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static bool Start(const std::wstring& program, const std::wstring& arguments, unique_handle& process)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info))
        return false;
    ::CloseHandle(info.hThread);
    process.reset(info.hProcess);
    return true;
}

bool RunAndWait(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs)
{
    unique_handle process;
    if (!Start(program, arguments, process)) return false;
    return ::WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0;
}

bool StartDetached(const std::wstring& program, const std::wstring& arguments)
{
    unique_handle process;
    return Start(program, arguments, process);
}

void HaltProduct(const std::wstring& installDir)
{
    const std::wstring agent = installDir + L"\\Tapdeck.exe";
    const std::wstring pairwell = installDir + L"\\Pairwell.exe";
    if (FileExists(agent)) RunAndWait(agent, L"/HaltAll", kHaltWaitMs);
    if (FileExists(pairwell)) RunAndWait(pairwell, L"/HaltAll", kHaltWaitMs);
    const ULONGLONG deadline = ::GetTickCount64() + kHaltWaitMs;
    while (AgentRunning() && ::GetTickCount64() < deadline) ::Sleep(20);
}

bool TaskFolderExists()
{
    com_ptr<ITaskFolder> root = RootTaskFolder();
    if (!root) return false;
    com_ptr<ITaskFolder> vendor;
    unique_bstr name(::SysAllocString(L"Vexa Corporation"));
    return name && SUCCEEDED(root->GetFolder(name.get(), vendor.put()));
}

void DeleteEmptyTaskFolder()
{
    com_ptr<ITaskFolder> root = RootTaskFolder();
    if (!root) return;
    // The scheduler refuses to delete a folder that still holds tasks or folders.
    unique_bstr name(::SysAllocString(L"Vexa Corporation"));
    if (name) root->DeleteFolder(name.get(), 0);
}

void DeleteEmptyKeys(const std::wstring& key, const std::wstring& stopAfter)
{
    std::wstring current = key;
    for (;;) {
        {
            unique_hkey open;
            if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, current.c_str(), 0, KEY_READ, open.put()) == ERROR_SUCCESS) {
                DWORD subkeys = 0, values = 0;
                if (::RegQueryInfoKeyW(open.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                       nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
                    subkeys || values)
                    return;
                open.reset();
                if (::RegDeleteKeyW(HKEY_LOCAL_MACHINE, current.c_str()) != ERROR_SUCCESS) return;
            }
        }
        if (current.size() <= stopAfter.size()) return;
        current.resize(current.find_last_of(L'\\'));
    }
}

}  // namespace tapdeck::setup
