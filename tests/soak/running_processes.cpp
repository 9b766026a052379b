#include "running_processes.h"
#include "compare_no_case.h"

#include <tlhelp32.h>

#include <functional>

namespace tapdeck::soak {
namespace {

void ForEachProcess(const std::function<void(const PROCESSENTRY32W&)>& visit)
{
    unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
        visit(entry);
}

}  // namespace

const std::vector<std::wstring>& SoakPrograms()
{
    static const std::vector<std::wstring> programs = {L"Tapdeck.exe",      L"Pairwell.exe",
                                                       L"Glimpser.exe",     L"nfc-recorder.exe",
                                                       L"PhotoshopElementsEditor.exe", L"sim_activation.exe"};
    return programs;
}

std::vector<std::wstring> RunningOf(const std::vector<std::wstring>& programs)
{
    std::vector<std::wstring> running;
    ForEachProcess([&](const PROCESSENTRY32W& entry) {
        for (const std::wstring& program : programs) {
            if (EqualsNoCase(entry.szExeFile, program))
                running.push_back(program + L" (pid " + std::to_wstring(entry.th32ProcessID) + L")");
        }
    });
    return running;
}

unique_handle OpenRunning(const std::wstring& program)
{
    DWORD pid = 0;
    ForEachProcess([&](const PROCESSENTRY32W& entry) {
        if (EqualsNoCase(entry.szExeFile, program)) pid = entry.th32ProcessID;
    });
    return unique_handle(pid ? ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid) : nullptr);
}

}  // namespace tapdeck::soak
