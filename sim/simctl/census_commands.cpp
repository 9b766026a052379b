// simctl commands of the stand-ins' live-object census (sim/common/census.h).
#include <windows.h>
#include <cwchar>

#include "../nfc/radio_protocol.h"
#include "census.h"
#include "simctl_command.h"

namespace tapdeck::sim {
namespace {

// Prints every class of the recorded processes (of one when a process id
// is given); exit code 1 when an object is left alive or a Release went
// below zero.
int Census(const SimctlArgs& args)
{
    if (args.size() > 1) return 2;
    const DWORD processId = args.empty() ? 0 : static_cast<DWORD>(std::wcstoul(args[0].c_str(), nullptr, 10));
    // Programs that still run have their radio's census written now.
    BroadcastRadioRequest("census");
    const auto rows = ReadCensus(processId);
    std::wstring text;
    for (const CensusRow& row : rows) text += DescribeCensusRow(row) + L"\n";
    const auto faults = CensusFaults(rows);
    text += std::to_wstring(rows.size()) + L" class record(s), " + std::to_wstring(faults.size()) +
            L" with objects alive or released below zero\n";
    SimctlPrint(text);
    return faults.empty() ? 0 : 1;
}

int CensusReset(const SimctlArgs& args)
{
    if (!args.empty()) return 2;
    ClearCensus();
    return 0;
}

const SimctlCommand census(L"census",
                           L"[PID]  objects of each stand-in class made, alive and released below zero, per "
                           L"process (written at its end; a radio's now); exit 1 when any is alive or below zero",
                           Census);
const SimctlCommand censusReset(L"census-reset", L"  forget the census records", CensusReset);

}  // namespace
}  // namespace tapdeck::sim
