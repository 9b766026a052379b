#pragma once
// Writes the maker's shared version records as its other installers would,
// and removes them again (both registry views) when the test ends.
#include <windows.h>

#include <string>
#include <vector>

namespace tapdeck::test {

constexpr wchar_t kAppRecordKey[] = L"SOFTWARE\\Vexa Corporation\\Shared Info\\AppDB\\Tapdeck";
constexpr wchar_t kVersionPathKey[] = L"SOFTWARE\\Vexa Corporation\\Shared Info\\VersionPath\\Tapdeck";

class SharedInfo {
public:
    SharedInfo() { Clear(); }
    ~SharedInfo()
    {
        Clear();
        for (const auto& file : files_) ::DeleteFileW(file.c_str());
    }
    SharedInfo(const SharedInfo&) = delete;
    SharedInfo& operator=(const SharedInfo&) = delete;

    // A raw value: type and bytes exactly as given.
    static bool SetValue(const wchar_t* keyPath, REGSAM view, const wchar_t* name, DWORD type, const void* data,
                         DWORD bytes)
    {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                              nullptr) != ERROR_SUCCESS)
            return false;
        const LONG status = ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
        ::RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }
    static bool SetString(const wchar_t* keyPath, REGSAM view, const wchar_t* name, const std::wstring& text,
                          DWORD type = REG_SZ)
    {
        return SetValue(keyPath, view, name, type, text.c_str(),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    bool SetOriginal(const std::wstring& version, DWORD type = REG_SZ)
    {
        return SetString(kAppRecordKey, KEY_WOW64_64KEY, L"version", version, type);
    }
    // A version file with these bytes, named under VersionPath in the view.
    bool SetVersionFile(REGSAM view, const std::string& bytes)
    {
        const std::wstring path = NewFile(bytes);
        return SetString(kVersionPathKey, view, L"Version", path);
    }
    bool SetVersionPath(REGSAM view, const std::wstring& path) { return SetString(kVersionPathKey, view, L"Version", path); }

    std::wstring NewFile(const std::string& bytes)
    {
        wchar_t folder[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, folder);
        std::wstring path = std::wstring(folder) + L"tapdeck-version-" + std::to_wstring(::GetCurrentProcessId()) +
                            L"-" + std::to_wstring(files_.size()) + L".txt";
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
        files_.push_back(path);
        return path;
    }

private:
    // Only the agent's two records: the rest of "Shared Info" (the PC's
    // location, which the Pairwell tests set meanwhile) is not the version's.
    static void Clear()
    {
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            for (const wchar_t* record : {kAppRecordKey, kVersionPathKey}) {
                HKEY key = nullptr;
                if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, record, 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS)
                    continue;
                ::RegDeleteTreeW(key, nullptr);
                ::RegCloseKey(key);
                ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, record, view, 0);
            }
        }
    }

    std::vector<std::wstring> files_;
};

}  // namespace tapdeck::test
