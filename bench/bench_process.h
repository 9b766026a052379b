// What the benchmarks share beyond the tests' own helpers (tests/support,
// which they link: the installed product, starting programs, NFCDB
// registrations): where the floor programs live, and waiting for programs
// to end.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "bench_report.h"
#include "compare_no_case.h"
#include "support/nfc_registrations.h"
#include "support/process.h"
#include "unique_handle.h"

namespace tapdeck::bench {

// "<folder of this benchmark>\floors\<file>": the floors' own programs.
inline std::wstring FloorProgram(const wchar_t* file)
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"floors\\" + file;
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

}  // namespace tapdeck::bench
