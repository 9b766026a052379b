// What the benchmarks share: where the installed product lives, starting a
// program, and registering an NFC handler as an installer would.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "unique_handle.h"

namespace tapdeck::bench {

inline constexpr wchar_t kNfcdbKey[] = L"Software\\Vexa Corporation\\Tapdeck\\NFCDB";

// "<Program Files>\Vexa\Tapdeck\<file>", empty when the folder is unknown.
inline std::wstring InstalledProgram(const wchar_t* file)
{
    PWSTR folder = nullptr;
    std::wstring path;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_ProgramFiles, 0, nullptr, &folder)))
        path = std::wstring(folder) + L"\\Vexa\\Tapdeck\\" + file;
    ::CoTaskMemFree(folder);
    return path;
}

// The process handle, or an empty owner when the start failed.
inline unique_handle StartProgram(const std::wstring& path, const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + path + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
        return {};
    }
    ::CloseHandle(info.hThread);
    return unique_handle(info.hProcess);
}

// One registration under NFCDB, written the way an installer writes it.
inline void RegisterNfcHandler(const std::wstring& subkey, const std::wstring& messageType,
                               const std::wstring& applicationPath)
{
    const std::wstring name = std::wstring(kNfcdbKey) + L"\\" + subkey;
    unique_hkey key;
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    auto set = [&](const wchar_t* value, const std::wstring& text) {
        ::RegSetValueExW(key.get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    };
    set(L"ApplicationPath", applicationPath);
    set(L"MessageType", messageType);
    set(L"Version", L"1");
}

}  // namespace tapdeck::bench
