#include "monitor_paths.h"

#include "known_folder.h"
#include "product_names.h"
#include "srw_lock.h"

namespace tapdeck {
namespace {

std::wstring Join(const std::wstring& base, const wchar_t* part)
{
    if (base.empty()) return {};
    return base + L"\\" + part;
}

}  // namespace

bool MonitorPaths::FetchKnownFolder(REFKNOWNFOLDERID id, std::wstring& cached, std::wstring& path)
{
    SrwGuard guard(lock_);
    CacheKnownFolder(id, cached, getKnownFolderPath_);
    path = cached;
    return !path.empty();
}

bool MonitorPaths::LocalAppData(std::wstring& path)
{
    return FetchKnownFolder(FOLDERID_LocalAppData, localAppDataPath_, path);
}

bool MonitorPaths::ProgramFiles(std::wstring& path)
{
    return FetchKnownFolder(FOLDERID_ProgramFiles, programFilesPath_, path);
}

std::wstring MonitorPaths::InstallFile(std::wstring& cached, const wchar_t* file)
{
    std::wstring programFiles;
    ProgramFiles(programFiles);
    SrwGuard guard(lock_);
    if (cached.empty()) cached = InstalledPath(programFiles, file);
    return cached;
}

std::wstring MonitorPaths::ConfigPath()
{
    return InstallFile(configPath_, kProfileFile);
}

std::wstring MonitorPaths::GlimpserPath() { return InstallFile(glimpserPath_, L"Glimpser.exe"); }

std::wstring MonitorPaths::PairwellPath() { return InstallFile(pairwellPath_, L"Pairwell.exe"); }

std::wstring MonitorPaths::PackagesFolder()
{
    std::wstring localAppData;
    LocalAppData(localAppData);
    return Join(localAppData, L"Packages");
}

std::wstring MonitorPaths::PackageFolder(const std::wstring& packageFamilyName)
{
    return Join(PackagesFolder(), packageFamilyName.c_str());
}

std::wstring MonitorPaths::LocalStateFolder(const std::wstring& packageFamilyName)
{
    return Join(PackageFolder(packageFamilyName), L"LocalState");
}

bool MonitorPaths::LocalStateFile(const std::wstring& packageFamilyName, const wchar_t* name, std::wstring& path)
{
    path = Join(LocalStateFolder(packageFamilyName), name);
    return !path.empty();
}

}  // namespace tapdeck
