#pragma once
// What the stand-ins' census (sim/common/census.h) says of a process the
// test ran: its objects must all be released by the time it has ended, and
// no Release may have come when no reference was left.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>

#include "census.h"
#include "sim_state.h"

namespace tapdeck::test {

// For a process that has ended: every stand-in it loaded wrote its record at
// the end; those named must be among them. Rows that `excused` accepts are
// not the process's doing.
inline void ExpectNothingLeftAlive(HANDLE process, std::initializer_list<const wchar_t*> standIns = {},
                                   const std::function<bool(const sim::CensusRow&)>& excused = nullptr)
{
    const DWORD processId = ::GetProcessId(process);
    // Only records this process wrote: an earlier one with the same id may have left its own.
    FILETIME created{}, exited{}, kernel{}, user{};
    ASSERT_TRUE(::GetProcessTimes(process, &created, &exited, &kernel, &user));
    const auto rows = sim::ReadCensus(processId, &created);
    for (const wchar_t* standIn : standIns) {
        const std::wstring record =
            sim::StatePath(sim::kCensusArea, std::wstring(standIn) + L"-" + std::to_wstring(processId) + L".txt");
        WIN32_FILE_ATTRIBUTE_DATA data{};
        EXPECT_TRUE(::GetFileAttributesExW(record.c_str(), GetFileExInfoStandard, &data) &&
                    ::CompareFileTime(&data.ftLastWriteTime, &created) >= 0)
            << "no census of " << sim::ToUtf8(standIn) << " for process " << processId;
    }
    for (const auto& row : sim::CensusFaults(rows)) {
        if (!excused || !excused(row)) ADD_FAILURE() << sim::ToUtf8(sim::DescribeCensusRow(row));
    }
}

}  // namespace tapdeck::test
