// What the benchmarks share: where the installed product and the floor
// programs live, starting a program and waiting for programs to end, and
// registering an NFC handler as an installer would.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <string>

#include "bench_report.h"
#include "compare_no_case.h"
#include "known_folder.h"
#include "product_names.h"
#include "unique_handle.h"

namespace tapdeck::bench {

using tapdeck::kNfcdbKey;

// "<Program Files>\Vexa\Tapdeck\<file>", empty when the folder is unknown.
inline std::wstring InstalledProgram(const wchar_t* file)
{
    return InstalledPath(file);
}

// "<folder of this benchmark>\floors\<file>": the floors' own programs.
inline std::wstring FloorProgram(const wchar_t* file)
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"floors\\" + file;
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

// Waits until no process of that file name runs; false at the deadline.
inline bool WaitForNoProcess(const wchar_t* exeName, DWORD timeoutMs)
{
    const LONGLONG deadline = CounterAfterMs(timeoutMs);
    for (;;) {
        unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (!snapshot) return false;
        DWORD running = 0;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more && !running;
             more = ::Process32NextW(snapshot.get(), &entry)) {
            if (EqualsNoCase(entry.szExeFile, exeName)) running = entry.th32ProcessID;
        }
        if (!running) return true;
        unique_handle process(::OpenProcess(SYNCHRONIZE, FALSE, running));
        if (process && ::WaitForSingleObject(process.get(), MsUntil(deadline)) != WAIT_OBJECT_0) return false;
        if (!process) {
            // Gone between the snapshot and the open, or not ours to wait for.
            if (MsUntil(deadline) == 0) return false;
            ::Sleep(1);
        }
    }
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
