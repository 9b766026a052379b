#pragma once
// The paths the monitor uses, each computed once and kept for the life of
// the library. The two known folders are fetched on first use, from any
// worker thread, so every field sits behind one lock.
#include <windows.h>
#include <string>

#include "monitor_dependencies.h"

namespace tapdeck {

class MonitorPaths {
public:
    explicit MonitorPaths(KnownFolderFn getKnownFolderPath) noexcept : getKnownFolderPath_(getKnownFolderPath) {}
    MonitorPaths(const MonitorPaths&) = delete;
    MonitorPaths& operator=(const MonitorPaths&) = delete;

    // Fetched on first use; false (and an empty path) while unavailable.
    bool LocalAppData(std::wstring& path);
    bool ProgramFiles(std::wstring& path);

    // "<Program Files>\Vexa\Tapdeck\Pairwell Profile\Configuration.xml", set
    // on first need; empty while Program Files is unavailable.
    std::wstring ConfigPath();
    std::wstring GlimpserPath();
    std::wstring PairwellPath();

    // Folders of one package family; empty when LocalAppData is unavailable.
    std::wstring PackagesFolder();
    std::wstring PackageFolder(const std::wstring& packageFamilyName);
    std::wstring LocalStateFolder(const std::wstring& packageFamilyName);
    // The LocalState folder joined with a file name; false when empty.
    bool LocalStateFile(const std::wstring& packageFamilyName, const wchar_t* name, std::wstring& path);

private:
    bool FetchKnownFolder(REFKNOWNFOLDERID id, std::wstring& cached, std::wstring& path);
    std::wstring InstallFile(std::wstring& cached, const wchar_t* file);

    KnownFolderFn getKnownFolderPath_;
    SRWLOCK lock_ = SRWLOCK_INIT;  // guards every field below
    std::wstring configPath_;
    std::wstring localAppDataPath_;
    std::wstring programFilesPath_;
    std::wstring glimpserPath_;
    std::wstring pairwellPath_;
};

}  // namespace tapdeck
