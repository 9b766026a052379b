#pragma once
// The live-object census of a stand-in module: per class, how many objects
// were made, how many are still alive and how many Release calls came when
// no reference was left. Each module (DLL or server) keeps its own, writes
// it at process end into C:\tapdeck-sim\census\<stand-in>-<pid>.txt and
// whenever asked; simctl and tests read those records.
//
// Counting never takes a lock and never allocates, so it also works while
// the process is ending inside DllMain.
#include <windows.h>
#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace tapdeck::sim {

inline constexpr wchar_t kCensusArea[] = L"census";

struct CensusSlot;

// The slot of a class (its name must be a static string), made on first use;
// null when the table is full, which counting then ignores.
CensusSlot* CensusClass(const wchar_t* className);
void CensusCreated(CensusSlot* slot);
void CensusDestroyed(CensusSlot* slot);
void CensusUnderflow(CensusSlot* slot);

// A reference count that reports to the census. Release never goes below
// zero: a call that finds no reference left is counted and ignored.
class CountedRefs {
public:
    // initial 1: an object made with its first reference, alive at once.
    // initial 0: an object the module itself keeps for the whole process;
    // it counts as alive while anyone outside holds a reference to it.
    CountedRefs(const wchar_t* className, ULONG initial);
    ULONG AddRef();
    // The count left; `last` tells whether this call dropped the last one.
    ULONG Release(bool& last);
    ULONG Count() const { return refs_.load(); }

private:
    CensusSlot* slot_;
    bool moduleOwned_;
    std::atomic<ULONG> refs_;
};

// Writes this module's census as "<stand-in>-<pid>.txt"; one line per class,
// "<class>\t<created>\t<alive>\t<underflows>", after a first line
// "process\t<pid>\t<program file name>".
void WriteCensus(std::wstring_view standIn);
// What this module counted, as the same lines.
std::wstring CensusText();

struct CensusRow {
    std::wstring standIn;
    DWORD processId = 0;
    std::wstring program;
    std::wstring className;
    long created = 0;
    long alive = 0;
    long underflows = 0;
};

// Every recorded row; of one process only when processId is not 0, and only
// from records written since `since` when it is given (process ids come back
// soon: a record older than the process is another's).
std::vector<CensusRow> ReadCensus(DWORD processId = 0, const FILETIME* since = nullptr);
// The rows of one stand-in only: a suite leaves a record per process, and
// reading all of them for each test costs more than the test.
std::vector<CensusRow> ReadCensusOf(std::wstring_view standIn);
// Rows with objects alive or with underflows.
std::vector<CensusRow> CensusFaults(const std::vector<CensusRow>& rows);
std::wstring DescribeCensusRow(const CensusRow& row);
void ClearCensus();

}  // namespace tapdeck::sim
