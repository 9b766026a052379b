#pragma once
// Reading and clearing the records of the user-interface stand-ins, and
// driving them through simctl as the demo does.
#include <windows.h>
#include <chrono>
#include <string>

#include "sim_state.h"
#include "support/process.h"

namespace tapdeck::test {

inline const wchar_t kSimctl[] = L"C:\\tapdeck-sim\\bin\\simctl.exe";

inline long Simctl(const std::wstring& arguments)
{
    return RunProgram(kSimctl, arguments, std::chrono::seconds(20));
}

inline std::wstring Records(const wchar_t* area)
{
    return sim::ReadStateFile(area, L"records.txt");
}

// Waits until the stand-in's records hold the text.
inline bool WaitForRecord(const wchar_t* area, const std::wstring& text,
                          std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    return WaitUntil([&] { return Records(area).find(text) != std::wstring::npos; }, timeout);
}

inline void ForgetUiRecords()
{
    for (const wchar_t* area : {L"toast", L"activation", L"appvisibility", L"store"}) {
        sim::DeleteStateFile(area, L"records.txt");
    }
    sim::DeleteStateFile(L"toast", L"shown.txt");
    sim::DeleteStateFile(L"appvisibility", L"state.txt");
}

}  // namespace tapdeck::test
