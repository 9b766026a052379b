#include "census.h"

#include <cwchar>

#include "sim_state.h"

namespace tapdeck::sim {

struct CensusSlot {
    std::atomic<const wchar_t*> name{nullptr};
    std::atomic<long> created{0};
    std::atomic<long> alive{0};
    std::atomic<long> underflows{0};
};

namespace {

constexpr size_t kSlots = 64;
// Trivially destructible: still readable in DllMain after the C runtime has
// begun to tear the module down.
CensusSlot g_slots[kSlots];

}  // namespace

CensusSlot* CensusClass(const wchar_t* className)
{
    for (CensusSlot& slot : g_slots) {
        const wchar_t* name = slot.name.load();
        if (!name) {
            const wchar_t* expected = nullptr;
            if (slot.name.compare_exchange_strong(expected, className)) return &slot;
            name = expected;
        }
        if (name == className || std::wcscmp(name, className) == 0) return &slot;
    }
    return nullptr;
}

void CensusCreated(CensusSlot* slot)
{
    if (!slot) return;
    ++slot->created;
    ++slot->alive;
}

void CensusDestroyed(CensusSlot* slot)
{
    if (slot) --slot->alive;
}

void CensusUnderflow(CensusSlot* slot)
{
    if (slot) ++slot->underflows;
}

CountedRefs::CountedRefs(const wchar_t* className, ULONG initial)
    : slot_(CensusClass(className)), moduleOwned_(initial == 0), refs_(initial)
{
    if (!moduleOwned_) CensusCreated(slot_);
}

ULONG CountedRefs::AddRef()
{
    const ULONG now = ++refs_;
    // A module-owned object comes alive when the first outside reference is taken.
    if (moduleOwned_ && now == 1) CensusCreated(slot_);
    return now;
}

ULONG CountedRefs::Release(bool& last)
{
    last = false;
    ULONG current = refs_.load();
    do {
        if (current == 0) {
            CensusUnderflow(slot_);
            return 0;
        }
    } while (!refs_.compare_exchange_weak(current, current - 1));
    if (current == 1) {
        last = true;
        CensusDestroyed(slot_);
    }
    return current - 1;
}

std::wstring CensusText()
{
    wchar_t program[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    const wchar_t* name = std::wcsrchr(program, L'\\');
    std::wstring text = L"process\t" + std::to_wstring(::GetCurrentProcessId()) + L"\t" + (name ? name + 1 : program) +
                        L"\n";
    for (const CensusSlot& slot : g_slots) {
        const wchar_t* className = slot.name.load();
        if (!className) break;
        text += std::wstring(className) + L"\t" + std::to_wstring(slot.created.load()) + L"\t" +
                std::to_wstring(slot.alive.load()) + L"\t" + std::to_wstring(slot.underflows.load()) + L"\n";
    }
    return text;
}

void WriteCensus(std::wstring_view standIn)
{
    WriteStateFile(kCensusArea, std::wstring(standIn) + L"-" + std::to_wstring(::GetCurrentProcessId()) + L".txt",
                   CensusText());
}

namespace {

std::vector<std::wstring> Fields(const std::wstring& line)
{
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find(L'\t', start);
        fields.push_back(line.substr(start, tab == std::wstring::npos ? std::wstring::npos : tab - start));
        if (tab == std::wstring::npos) return fields;
        start = tab + 1;
    }
}

void ReadOne(const std::wstring& file, std::vector<CensusRow>& rows)
{
    // "<stand-in>-<pid>.txt"
    const size_t dash = file.rfind(L'-');
    if (dash == std::wstring::npos) return;
    CensusRow base;
    base.standIn = file.substr(0, dash);
    const std::wstring text = ReadStateFile(kCensusArea, file);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        const auto fields = Fields(text.substr(start, end - start));
        start = end + 1;
        if (fields.size() == 3 && fields[0] == L"process") {
            base.processId = static_cast<DWORD>(std::wcstoul(fields[1].c_str(), nullptr, 10));
            base.program = fields[2];
        } else if (fields.size() == 4) {
            CensusRow row = base;
            row.className = fields[0];
            row.created = std::wcstol(fields[1].c_str(), nullptr, 10);
            row.alive = std::wcstol(fields[2].c_str(), nullptr, 10);
            row.underflows = std::wcstol(fields[3].c_str(), nullptr, 10);
            rows.push_back(row);
        }
    }
}

std::vector<CensusRow> ReadMatching(const std::wstring& name, const FILETIME* since)
{
    std::vector<CensusRow> rows;
    const std::wstring pattern = StatePath(kCensusArea, name);
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return rows;
    do {
        if (!since || ::CompareFileTime(&found.ftLastWriteTime, since) >= 0) ReadOne(found.cFileName, rows);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return rows;
}

}  // namespace

std::vector<CensusRow> ReadCensus(DWORD processId, const FILETIME* since)
{
    return ReadMatching(processId ? L"*-" + std::to_wstring(processId) + L".txt" : L"*.txt", since);
}

std::vector<CensusRow> ReadCensusOf(std::wstring_view standIn)
{
    return ReadMatching(std::wstring(standIn) + L"-*.txt", nullptr);
}

std::vector<CensusRow> CensusFaults(const std::vector<CensusRow>& rows)
{
    std::vector<CensusRow> faults;
    for (const CensusRow& row : rows) {
        if (row.alive != 0 || row.underflows != 0) faults.push_back(row);
    }
    return faults;
}

std::wstring DescribeCensusRow(const CensusRow& row)
{
    return row.standIn + L"\t" + std::to_wstring(row.processId) + L"\t" + row.program + L"\t" + row.className +
           L"\tcreated " + std::to_wstring(row.created) + L"\talive " + std::to_wstring(row.alive) +
           L"\tunderflows " + std::to_wstring(row.underflows);
}

void ClearCensus()
{
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(StatePath(kCensusArea, L"*.txt").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        DeleteStateFile(kCensusArea, found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

}  // namespace tapdeck::sim
