#include "fault.h"

#include <cstdio>
#include <cwchar>

#include "sim_state.h"
#include "unique_handle.h"

namespace tapdeck::sim {
namespace {

std::wstring FileOf(std::wstring_view call) { return std::wstring(call) + L".txt"; }

// Reading, counting down and rewriting one call's entry is one step for
// every process.
class FaultLock {
public:
    FaultLock() : mutex_(::CreateMutexW(nullptr, FALSE, L"Local\\TapdeckSimFaultLock"))
    {
        if (mutex_) ::WaitForSingleObject(mutex_.get(), 5000);
    }
    ~FaultLock()
    {
        if (mutex_) ::ReleaseMutex(mutex_.get());
    }

private:
    unique_mutex mutex_;
};

std::wstring Entry(long code, long count, long skip)
{
    wchar_t text[64];
    std::swprintf(text, 64, L"0x%08lx %ld %ld", static_cast<unsigned long>(code), count, skip);
    return text;
}

}  // namespace

long InjectedFault(std::wstring_view call)
{
    const std::wstring path = StatePath(kFaultArea, FileOf(call));
    // The usual case, no failure armed, costs one attribute lookup.
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
    FaultLock lock;
    const std::wstring text = ReadStateFile(kFaultArea, FileOf(call));
    wchar_t* end = nullptr;
    const long code = static_cast<long>(std::wcstoul(text.c_str(), &end, 0));
    long count = std::wcstol(end, &end, 10);
    long skip = std::wcstol(end, &end, 10);
    if (code == 0 || count == 0) return 0;
    if (skip > 0) {
        WriteStateFile(kFaultArea, FileOf(call), Entry(code, count, skip - 1));
        return 0;
    }
    if (count > 0 && --count == 0) {
        DeleteStateFile(kFaultArea, FileOf(call));
    } else if (count > 0) {
        WriteStateFile(kFaultArea, FileOf(call), Entry(code, count, 0));
    }
    wchar_t line[160];
    std::swprintf(line, 160, L"%.*ls\t0x%08lx\t%lu", static_cast<int>(call.size()), call.data(),
                  static_cast<unsigned long>(code), ::GetCurrentProcessId());
    AppendRecord(kFaultArea, kFaultLog, line);
    return code;
}

bool ArmFault(std::wstring_view call, long code, long count, long skip)
{
    FaultLock lock;
    if (count == 0 || code == 0) {
        DeleteStateFile(kFaultArea, FileOf(call));
        return true;
    }
    return WriteStateFile(kFaultArea, FileOf(call), Entry(code, count, skip));
}

void DisarmFault(std::wstring_view call)
{
    FaultLock lock;
    DeleteStateFile(kFaultArea, FileOf(call));
}

void ClearFaults()
{
    FaultLock lock;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(StatePath(kFaultArea, L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteStateFile(kFaultArea, found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

std::vector<std::wstring> FailedCalls()
{
    std::vector<std::wstring> calls;
    const std::wstring text = ReadStateFile(kFaultArea, kFaultLog);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        if (end > start) calls.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return calls;
}

}  // namespace tapdeck::sim
