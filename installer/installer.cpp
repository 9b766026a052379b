#include "installer.h"

#include <algorithm>

#include "setup_shared.h"
#include "unique_handle.h"

namespace tapdeck::setup {
namespace {

constexpr DWORD kSwitchWaitMs = 60000;

DWORD ReadDword(HKEY key, const wchar_t* name, DWORD fallback)
{
    DWORD value = 0, size = sizeof(value);
    if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) return fallback;
    return value;
}

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

bool SetText(HKEY key, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ)
{
    return ::RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool SetDword(HKEY key, const wchar_t* name, DWORD value)
{
    return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

bool WriteWholeFile(const std::wstring& path, const std::vector<BYTE>& bytes)
{
    unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// Each folder of a relative path below the base, created in turn.
void CreateParents(const std::wstring& base, const std::wstring& relative)
{
    size_t at = 0;
    while ((at = relative.find(L'\\', at)) != std::wstring::npos) {
        ::CreateDirectoryW((base + L"\\" + relative.substr(0, at)).c_str(), nullptr);
        ++at;
    }
}

// A file written next to its place and moved over it, so that a failed copy
// never leaves half a program behind. A file still held by an ending process
// gets a few more tries.
bool PlaceFile(const std::wstring& path, const std::vector<BYTE>& bytes)
{
    const std::wstring staged = path + L".new";
    if (!WriteWholeFile(staged, bytes)) {
        ::DeleteFileW(staged.c_str());
        return false;
    }
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (::MoveFileExW(staged.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        ::Sleep(100);
    }
    ::DeleteFileW(staged.c_str());
    return false;
}

void RemoveEmptyFolders(const std::wstring& dir, const std::vector<std::wstring>& files)
{
    std::vector<std::wstring> folders;
    for (const auto& file : files)
        for (size_t at = file.find(L'\\'); at != std::wstring::npos; at = file.find(L'\\', at + 1))
            folders.push_back(file.substr(0, at));
    std::sort(folders.begin(), folders.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
    for (const auto& folder : folders) ::RemoveDirectoryW((dir + L"\\" + folder).c_str());
}

}  // namespace

bool CInstaller::Install()
{
    const std::wstring dir = InstallDir();
    if (ProgramFilesDir().empty()) return false;

    // An installed version keeps what it recorded about the machine before it.
    bool upgrade = false;
    bool madeVendorDir = !DirectoryExists(VendorDir());
    bool madeTaskFolder = !TaskFolderExists();
    std::vector<std::wstring> previousFiles;
    {
        unique_hkey old;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, old.put()) == ERROR_SUCCESS) {
            upgrade = true;
            madeVendorDir = ReadDword(old.get(), kValueMadeVendorDir, 0) != 0;
            madeTaskFolder = ReadDword(old.get(), kValueMadeTaskFolder, 0) != 0;
            previousFiles = ReadList(old.get(), kValueFiles);
        }
    }
    if (upgrade || FileExists(dir + L"\\Tapdeck.exe")) HaltProduct(dir);

    ::CreateDirectoryW(VendorDir().c_str(), nullptr);
    ::CreateDirectoryW(dir.c_str(), nullptr);
    std::vector<std::wstring> written;
    if (!CopyFiles(dir, written)) {
        // A first install leaves nothing; an upgrade keeps whatever it could not replace.
        if (!upgrade) RollBack(dir, written, madeVendorDir);
        return false;
    }
    // Files of the old version that this one no longer has.
    for (const auto& old : previousFiles)
        if (std::find(written.begin(), written.end(), old) == written.end()) ::DeleteFileW((dir + L"\\" + old).c_str());
    RemoveEmptyFolders(dir, previousFiles);

    if (!RegisterPairwell(dir) || !RegisterUninstaller(dir, written, madeVendorDir, madeTaskFolder)) {
        if (!upgrade) {
            ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPairwellRegistration);
            DeleteEmptyKeys(kNfcdbKey, kVendorKey);
            ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
            RollBack(dir, written, madeVendorDir);
        }
        return false;
    }

    const std::wstring agent = dir + L"\\Tapdeck.exe";
    RunAndWait(agent, L"/Install", kSwitchWaitMs);
    RunAndWait(agent, L"/CreateDesktopShortcut", kSwitchWaitMs);
    // Started as the logon task starts it: no main dialog.
    return StartDetached(agent, L"/AutoStart");
}

bool CInstaller::CopyFiles(const std::wstring& dir, std::vector<std::wstring>& written)
{
    for (const auto& file : files_) {
        CreateParents(dir, file.relativePath);
        if (!PlaceFile(dir + L"\\" + file.relativePath, file.bytes)) return false;
        written.push_back(file.relativePath);
    }
    // The uninstaller is this program: it finds its work in the registry.
    std::vector<BYTE> self;
    {
        unique_file me(::CreateFileW(OwnPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
        if (!me) return false;
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(me.get(), &size)) return false;
        self.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!::ReadFile(me.get(), self.data(), static_cast<DWORD>(self.size()), &read, nullptr) || read != self.size())
            return false;
    }
    if (!PlaceFile(dir + L"\\" + kUninstallerName, self)) return false;
    written.push_back(kUninstallerName);
    return true;
}

void CInstaller::RollBack(const std::wstring& dir, const std::vector<std::wstring>& written, bool madeVendorDir)
{
    for (const auto& file : written) ::DeleteFileW((dir + L"\\" + file).c_str());
    RemoveEmptyFolders(dir, written);
    ::RemoveDirectoryW(dir.c_str());
    if (madeVendorDir) ::RemoveDirectoryW(VendorDir().c_str());
}

bool CInstaller::RegisterPairwell(const std::wstring&)
{
    unique_hkey key;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPairwellRegistration, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS)
        return false;
    return SetText(key.get(), L"ApplicationPath", L"%ProgramFiles%\\Vexa\\Tapdeck\\Pairwell.exe", REG_EXPAND_SZ) &&
           SetText(key.get(), L"MessageType", kCameraMessageType) && SetText(key.get(), L"Version", kProductVersion);
}

bool CInstaller::RegisterUninstaller(const std::wstring& dir, const std::vector<std::wstring>& files,
                                     bool madeVendorDir, bool madeTaskFolder)
{
    unique_hkey key;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    std::wstring list;
    for (const auto& file : files) list += file + L'\0';
    list += L'\0';
    const std::wstring uninstaller = L"\"" + dir + L"\\" + kUninstallerName + L"\" /Uninstall";
    return SetText(key.get(), L"DisplayName", L"Tapdeck") && SetText(key.get(), L"DisplayVersion", kProductVersion) &&
           SetText(key.get(), L"Publisher", L"Vexa Corporation") && SetText(key.get(), L"InstallLocation", dir) &&
           SetText(key.get(), L"DisplayIcon", dir + L"\\Tapdeck.exe") &&
           SetText(key.get(), L"UninstallString", uninstaller) &&
           SetText(key.get(), L"QuietUninstallString", uninstaller + L" /S") && SetDword(key.get(), L"NoModify", 1) &&
           SetDword(key.get(), L"NoRepair", 1) && SetDword(key.get(), kValueMadeVendorDir, madeVendorDir ? 1 : 0) &&
           SetDword(key.get(), kValueMadeTaskFolder, madeTaskFolder ? 1 : 0) &&
           ::RegSetValueExW(key.get(), kValueFiles, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(list.data()),
                            static_cast<DWORD>(list.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace tapdeck::setup
