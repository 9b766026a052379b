#include "uninstaller.h"

#include <windows.h>
#include <algorithm>
#include <vector>

#include "setup_shared.h"
#include "unique_handle.h"

namespace tapdeck::setup {
namespace {

constexpr DWORD kSwitchWaitMs = 60000;

std::vector<std::wstring> ReadList(HKEY key, const wchar_t* name)
{
    std::vector<std::wstring> list;
    DWORD size = 0;
    if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_MULTI_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS) return list;
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_MULTI_SZ, nullptr, data.data(), &size) != ERROR_SUCCESS)
        return list;
    for (const wchar_t* p = data.c_str(); *p; p += wcslen(p) + 1) list.emplace_back(p);
    return list;
}

DWORD ReadDword(HKEY key, const wchar_t* name)
{
    DWORD value = 0, size = sizeof(value);
    ::RegGetValueW(key, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

// A file of a process that is still ending gets a few more tries.
void DeleteWithRetries(const std::wstring& path)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (::DeleteFileW(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND ||
            ::GetLastError() == ERROR_PATH_NOT_FOUND)
            return;
        ::Sleep(100);
    }
}

}  // namespace

bool CUninstaller::Uninstall()
{
    std::vector<std::wstring> files;
    std::wstring dir;
    bool madeVendorDir = false;
    bool madeTaskFolder = false;
    {
        unique_hkey key;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
        files = ReadList(key.get(), kValueFiles);
        madeVendorDir = ReadDword(key.get(), kValueMadeVendorDir) != 0;
        madeTaskFolder = ReadDword(key.get(), kValueMadeTaskFolder) != 0;
    }
    dir = InstallDir();

    // The agent removes its task and shortcut and ends every running agent.
    const std::wstring agent = dir + L"\\Tapdeck.exe";
    if (FileExists(agent)) RunAndWait(agent, L"/Uninstall", kSwitchWaitMs);
    HaltProduct(dir);
    if (madeTaskFolder) DeleteEmptyTaskFolder();

    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPairwellRegistration);
    DeleteEmptyKeys(kNfcdbKey, kVendorKey);

    const std::wstring self = OwnPath();
    bool selfInstalled = false;
    for (const auto& file : files) {
        const std::wstring path = dir + L"\\" + file;
        if (::lstrcmpiW(path.c_str(), self.c_str()) == 0) {
            selfInstalled = true;
            continue;
        }
        DeleteWithRetries(path);
    }
    std::vector<std::wstring> folders;
    for (const auto& file : files)
        for (size_t at = file.find(L'\\'); at != std::wstring::npos; at = file.find(L'\\', at + 1))
            folders.push_back(file.substr(0, at));
    std::sort(folders.begin(), folders.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
    for (const auto& folder : folders) ::RemoveDirectoryW((dir + L"\\" + folder).c_str());

    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);

    if (!selfInstalled) {
        ::RemoveDirectoryW(dir.c_str());
        if (madeVendorDir) ::RemoveDirectoryW(VendorDir().c_str());
        return true;
    }
    // A running program cannot delete itself: a copy outside the folder does
    // it once this process has ended, and is itself removed at the next start.
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring helper = std::wstring(temp) + L"TapdeckUninstall-" + std::to_wstring(::GetCurrentProcessId()) +
                                L".exe";
    if (!::CopyFileW(self.c_str(), helper.c_str(), FALSE)) return true;
    ::MoveFileExW(helper.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    StartDetached(helper, L"/Finish " + std::to_wstring(::GetCurrentProcessId()) + L" " +
                              (madeVendorDir ? L"1" : L"0") + L" \"" + self + L"\"");
    return true;
}

void CUninstaller::Finish(DWORD uninstallerProcessId, const std::wstring& uninstallerPath, bool removeVendorDir)
{
    unique_handle process(::OpenProcess(SYNCHRONIZE, FALSE, uninstallerProcessId));
    if (process) ::WaitForSingleObject(process.get(), 30000);
    DeleteWithRetries(uninstallerPath);
    const std::wstring dir = uninstallerPath.substr(0, uninstallerPath.find_last_of(L'\\'));
    ::RemoveDirectoryW(dir.c_str());
    if (removeVendorDir) ::RemoveDirectoryW(dir.substr(0, dir.find_last_of(L'\\')).c_str());
}

}  // namespace tapdeck::setup
