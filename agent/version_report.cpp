#include "version_report.h"

#include <shlwapi.h>

#include <cwchar>
#include <vector>

#include "unique_handle.h"
#include "usage_stats.h"

namespace tapdeck {
namespace {

constexpr wchar_t kAppRecordKey[] = L"SOFTWARE\\Vexa Corporation\\Shared Info\\AppDB\\Tapdeck";
constexpr wchar_t kVersionPathKey[] = L"SOFTWARE\\Vexa Corporation\\Shared Info\\VersionPath\\Tapdeck";
constexpr size_t kVersionChars = 260;
constexpr size_t kLineChars = 99;
constexpr DWORD kModulePathChars = 516;

void SubmitVersion(const wchar_t* name, const std::wstring& version)
{
    const wchar_t* const categoryAndName[] = {L"General", name};
    SubmitUsageSetting(categoryAndName, version.c_str());
}

// The first line of a text file, each byte one character, CR LF one line end.
bool ReadFirstLine(const std::wstring& path, std::wstring& line)
{
    unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    // Enough for the longest kept line and its line end.
    char bytes[kLineChars + 2];
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes, sizeof(bytes), &read, nullptr)) return false;
    line.clear();
    for (DWORD i = 0; i < read && line.size() < kLineChars; ++i) {
        const char c = bytes[i];
        if (c == '\n' || c == '\0' || c == '\x1a') break;  // Ctrl-Z ends a text file
        if (c == '\r' && i + 1 < read && bytes[i + 1] == '\n') break;
        line.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    return true;
}

}  // namespace

bool ReadOriginalVersion(std::wstring& version)
{
    version.clear();
    unique_hkey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAppRecordKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
    wchar_t buffer[kVersionChars] = {};
    DWORD type = 0;
    DWORD bytes = sizeof(buffer);
    const LONG status =
        ::RegQueryValueExW(key.get(), L"version", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    // A value too long for the buffer reports its whole size: nothing of it counts.
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    // Only a properly terminated string counts; no data at all is the empty one.
    const bool terminated = bytes == 0 || (bytes % sizeof(wchar_t) == 0 && buffer[bytes / sizeof(wchar_t) - 1] == L'\0');
    if (terminated) version = buffer;
    return !version.empty();
}

bool ReadVersionFile(REGSAM view, std::wstring& version)
{
    unique_hkey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVersionPathKey, 0, KEY_READ | view, key.put()) != ERROR_SUCCESS)
        return false;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key.get(), L"Version", nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS) return false;
    // Zeroed and larger than the data, so the text always ends.
    std::vector<wchar_t> buffer(static_cast<size_t>(bytes) + 1, L'\0');
    if (::RegQueryValueExW(key.get(), L"Version", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &bytes) !=
        ERROR_SUCCESS)
        return false;
    const std::wstring path(buffer.data(), ::wcsnlen(buffer.data(), bytes / sizeof(wchar_t)));
    if (path.empty()) return false;
    return ReadFirstLine(path, version);
}

bool GetProductVersion(std::wstring& version)
{
    version.clear();
    std::vector<wchar_t> modulePath(kModulePathChars, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, modulePath.data(), kModulePathChars);
    std::wstring path(modulePath.data(), length);
    path.resize(path.find_last_of(L'\\') + 1);  // npos + 1 leaves nothing of a bare name
    path += L"Tapdeck.exe";
    if (!::PathFileExistsW(path.c_str())) return false;

    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0) return false;
    std::vector<BYTE> block(size, 0);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return false;

    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translation = nullptr;
    UINT translationBytes = 0;
    if (::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                         &translationBytes) &&
        translation && translationBytes >= sizeof(Translation)) {
        wchar_t subBlock[64];
        std::swprintf(subBlock, std::size(subBlock), L"\\StringFileInfo\\%04x%04x\\%ls", translation->language,
                      translation->codePage, L"ProductVersion");
        wchar_t* value = nullptr;
        UINT valueChars = 0;
        if (::VerQueryValueW(block.data(), subBlock, reinterpret_cast<void**>(&value), &valueChars) && value)
            version = value;
    }
    return true;
}

void ReportOriginalVersion()
{
    std::wstring version;
    ReadOriginalVersion(version);
    SubmitVersion(L"OriginalVersion", version);
}

void ReportCurrentVersion()
{
    std::wstring version;
    if (!ReadVersionFile(KEY_WOW64_32KEY, version) && !ReadVersionFile(KEY_WOW64_64KEY, version))
        GetProductVersion(version);
    SubmitVersion(L"CurrentVersion", version);
}

}  // namespace tapdeck
