#include "tallyr_record.h"

#include <windows.h>
#include <shlobj.h>

#include <sstream>

#include "compare_no_case.h"
#include "known_folder.h"
#include "sim_state.h"
#include "unique_handle.h"

namespace tapdeck::sim {
namespace {

std::wstring ProgramFiles()
{
    return KnownFolderPath(FOLDERID_ProgramFiles, KF_FLAG_DEFAULT_PATH);
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes)
{
    unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    return true;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes)
{
    unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace

const std::vector<TallyrVariant>& TallyrVariants()
{
    static const std::vector<TallyrVariant> variants{
        {L"complete", L"tallyr.dll"},
        {L"no-submitstat", L"tallyr-no-submitstat.dll"},
        {L"no-init-finalize", L"tallyr-no-init-finalize.dll"},
        {L"faulting-submit", L"tallyr-faulting-submit.dll"},
    };
    return variants;
}

std::wstring TallyrInstallPath() { return ProgramFiles() + L"\\Vexa\\Quor Improvement\\tallyr.dll"; }

bool InstallTallyrFrom(const std::wstring& dll)
{
    const std::wstring vexa = ProgramFiles() + L"\\Vexa";
    ::CreateDirectoryW(vexa.c_str(), nullptr);
    ::CreateDirectoryW((vexa + L"\\Quor Improvement").c_str(), nullptr);
    return ::CopyFileW(dll.c_str(), TallyrInstallPath().c_str(), FALSE) != FALSE;
}

bool RemoveTallyr()
{
    const std::wstring path = TallyrInstallPath();
    return ::DeleteFileW(path.c_str()) || ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::vector<std::vector<std::wstring>> ReadTallyrCalls()
{
    std::vector<std::vector<std::wstring>> calls;
    std::wistringstream lines(ReadStateFile(kTallyrArea, TallyrCallsFile()));
    std::wstring line;
    while (std::getline(lines, line)) {
        std::vector<std::wstring> fields;
        size_t start = 0;
        for (size_t tab; (tab = line.find(L'\t', start)) != std::wstring::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        calls.push_back(std::move(fields));
    }
    return calls;
}

std::vector<std::vector<std::wstring>> ReadTallyrCallsFrom(std::wstring_view module)
{
    std::vector<std::vector<std::wstring>> calls;
    for (auto& call : ReadTallyrCalls()) {
        if (call.size() < 2 || !EqualsNoCase(call[1], module)) continue;
        call.erase(call.begin() + 1);
        calls.push_back(std::move(call));
    }
    return calls;
}

void ClearTallyrCalls() { WriteStateFile(kTallyrArea, TallyrCallsFile(), L""); }

ScopedTallyrInstall::ScopedTallyrInstall() { existed_ = ReadWholeFile(TallyrInstallPath(), saved_); }

ScopedTallyrInstall::~ScopedTallyrInstall()
{
    if (existed_)
        WriteWholeFile(TallyrInstallPath(), saved_);
    else
        RemoveTallyr();
}

}  // namespace tapdeck::sim
