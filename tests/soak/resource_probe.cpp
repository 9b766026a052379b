#include "resource_probe.h"

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>

#include "unique_handle.h"

namespace tapdeck::soak {
namespace {

// The system's process list: the one place that reports another process's
// threads, and its handles where GetProcessHandleCount answers 0 (Wine).
bool FromProcessList(DWORD pid, SYSTEM_PROCESS_INFORMATION& found)
{
    std::vector<BYTE> buffer(1 << 20);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = ::NtQuerySystemInformation(SystemProcessInformation, buffer.data(),
                                                static_cast<ULONG>(buffer.size()), &needed)) ==
           static_cast<NTSTATUS>(0xC0000004L)) {  // STATUS_INFO_LENGTH_MISMATCH
        buffer.resize(std::max<size_t>(needed, buffer.size() * 2));
    }
    if (status < 0) return false;
    for (size_t offset = 0;;) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + offset);
        if (reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId) == pid) {
            found = *entry;
            return true;
        }
        if (entry->NextEntryOffset == 0) return false;
        offset += entry->NextEntryOffset;
    }
}

double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One entry of the system's handle list.
struct HandleEntry {
    USHORT processId;
    USHORT creatorBackTraceIndex;
    UCHAR objectTypeIndex;
    UCHAR attributes;
    USHORT value;
    void* object;
    ULONG grantedAccess;
};
constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);

}  // namespace

std::vector<BYTE> HandleList()
{
    std::vector<BYTE> buffer(1 << 20);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = ::NtQuerySystemInformation(kSystemHandleInformation, buffer.data(),
                                                static_cast<ULONG>(buffer.size()), &needed)) ==
           static_cast<NTSTATUS>(0xC0000004L)) {
        buffer.resize(std::max<size_t>(needed, buffer.size() * 2));
    }
    if (status < 0) buffer.clear();
    return buffer;
}

template <typename Visit>
void ForEachHandle(const std::vector<BYTE>& list, Visit visit)
{
    if (list.size() < sizeof(ULONG_PTR)) return;
    const ULONG count = *reinterpret_cast<const ULONG*>(list.data());
    const auto* entries = reinterpret_cast<const HandleEntry*>(list.data() + sizeof(ULONG_PTR));
    for (ULONG i = 0; i < count; ++i) visit(entries[i]);
}

std::map<int, long> HandlesByType(DWORD pid)
{
    std::map<int, long> byType;
    ForEachHandle(HandleList(), [&](const HandleEntry& e) {
        if (e.processId == pid) ++byType[e.objectTypeIndex];
    });
    return byType;
}

std::wstring DescribeLastHandle(HANDLE process, int type)
{
    const DWORD pid = ::GetProcessId(process);
    USHORT value = 0;
    ForEachHandle(HandleList(), [&](const HandleEntry& e) {
        if (e.processId == pid && e.objectTypeIndex == type) value = e.value;
    });
    HANDLE copy = nullptr;
    if (!value || !::DuplicateHandle(process, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value)),
                                     ::GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return {};
    unique_handle owned(copy);
    std::wstring text;
    alignas(8) BYTE info[4096];
    for (const int what : {2, 1}) {  // ObjectTypeInformation, ObjectNameInformation
        ULONG length = 0;
        if (::NtQueryObject(owned.get(), static_cast<OBJECT_INFORMATION_CLASS>(what), info, sizeof(info), &length) < 0)
            continue;
        const auto* name = reinterpret_cast<const UNICODE_STRING*>(info);
        if (name->Buffer) text += (text.empty() ? L"" : L" ") + std::wstring(name->Buffer, name->Length / sizeof(wchar_t));
    }
    return text;
}

long HandleCount(DWORD pid)
{
    long count = 0;
    for (const auto& [type, n] : HandlesByType(pid)) count += n;
    return count;
}

bool SampleProcess(HANDLE process, ResourceSample& sample)
{
    DWORD handles = 0;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    SYSTEM_PROCESS_INFORMATION listed{};
    if (!::GetProcessHandleCount(process, &handles) ||
        !::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory)) ||
        !FromProcessList(::GetProcessId(process), listed))
        return false;
    const long exact = HandleCount(::GetProcessId(process));
    sample.handles = handles ? handles : exact ? exact : listed.HandleCount;
    sample.threads = listed.NumberOfThreads;
    // Wine reports no private bytes (it counts only swapped-out pages);
    // the working set is the nearest figure it has.
    sample.privateBytes = static_cast<double>(memory.PrivateUsage);
    sample.memoryIsWorkingSet = memory.PrivateUsage == 0;
    if (sample.memoryIsWorkingSet) sample.privateBytes = static_cast<double>(memory.WorkingSetSize);
    return true;
}

SeriesFigures Figures(const std::vector<ResourceSample>& samples, double ResourceSample::*field)
{
    SeriesFigures figures;
    if (samples.empty()) return figures;
    figures.first = samples.front().*field;
    figures.last = samples.back().*field;
    for (const ResourceSample& s : samples) figures.max = std::max(figures.max, s.*field);

    // The first fifth is the agent settling: libraries loaded, first
    // handlers started, the first reply written.
    const size_t settled = samples.size() / 5;
    const size_t count = samples.size() - settled;
    if (count < 3) return figures;
    const size_t third = count / 3;
    std::vector<double> early, late;
    for (size_t i = 0; i < third; ++i) {
        early.push_back(samples[settled + i].*field);
        late.push_back(samples[samples.size() - third + i].*field);
    }
    figures.growth = Median(late) - Median(early);

    double meanT = 0, meanV = 0;
    for (size_t i = settled; i < samples.size(); ++i) {
        meanT += samples[i].seconds;
        meanV += samples[i].*field;
    }
    meanT /= count;
    meanV /= count;
    double covariance = 0, variance = 0;
    for (size_t i = settled; i < samples.size(); ++i) {
        covariance += (samples[i].seconds - meanT) * (samples[i].*field - meanV);
        variance += (samples[i].seconds - meanT) * (samples[i].seconds - meanT);
    }
    if (variance > 0) figures.slopePerMinute = covariance / variance * 60;
    return figures;
}

std::string Describe(const SeriesFigures& f, double scale)
{
    char text[160];
    std::snprintf(text, sizeof(text), "first %.0f, last %.0f, max %.0f, growth %+.0f, slope %+.2f/min", f.first / scale,
                  f.last / scale, f.max / scale, f.growth / scale, f.slopePerMinute / scale);
    return text;
}

}  // namespace tapdeck::soak
