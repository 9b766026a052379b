#include "photoeditor_record.h"

#include <algorithm>
#include <cwchar>
#include <utility>

#include "sim_state.h"
#include "unique_handle.h"

namespace tapdeck::sim {
namespace {

constexpr wchar_t kArea[] = L"photoeditor";
constexpr wchar_t kLog[] = L"launches.log";
constexpr wchar_t kEndLog[] = L"ends.log";
constexpr DWORD kHoldLimitMs = 60000;
constexpr wchar_t kProductKey[] = L"Software\\Wow6432Node\\Adobe\\Photoshop Elements";
constexpr wchar_t kBin[] = L"C:\\tapdeck-sim\\bin\\photoeditor\\";

unsigned long long Stamp(const FILETIME& time)
{
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

unsigned long long CreationStamp()
{
    FILETIME created{};
    FILETIME unused[3];
    ::GetProcessTimes(::GetCurrentProcess(), &created, &unused[0], &unused[1], &unused[2]);
    return Stamp(created);
}

// The lines of a record, each as "<stamp>|<first>|<rest>", sorted by stamp.
struct StampedLine {
    unsigned long long stamp;
    std::wstring first;
    std::wstring rest;
};

std::vector<StampedLine> ReadStampedLines(const wchar_t* log)
{
    std::vector<StampedLine> lines;
    const std::wstring text = ReadStateFile(kArea, log);
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find(L'\n', begin);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(begin, end - begin);
        const size_t first = line.find(L'|');
        const size_t second = first == std::wstring::npos ? first : line.find(L'|', first + 1);
        if (second != std::wstring::npos)
            lines.push_back({std::wcstoull(line.c_str(), nullptr, 10), line.substr(first + 1, second - first - 1),
                             line.substr(second + 1)});
        begin = end + 1;
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const auto& left, const auto& right) { return left.stamp < right.stamp; });
    return lines;
}

}  // namespace

void RecordLaunch(const std::wstring& program, const std::wstring& parameters)
{
    AppendRecord(kArea, kLog, std::to_wstring(CreationStamp()) + L"|" + program + L"|" + parameters);
}

void RecordLaunchEnd(const std::wstring& program)
{
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    AppendRecord(kArea, kEndLog, std::to_wstring(CreationStamp()) + L"|" + program + L"|" + std::to_wstring(Stamp(now)));
}

std::vector<Launch> ReadLaunches()
{
    std::vector<Launch> launches;
    for (StampedLine& line : ReadStampedLines(kLog)) launches.push_back({std::move(line.first), std::move(line.rest)});
    return launches;
}

std::vector<LaunchSpan> ReadLaunchSpans()
{
    const std::vector<StampedLine> ends = ReadStampedLines(kEndLog);
    std::vector<LaunchSpan> spans;
    for (const StampedLine& line : ReadStampedLines(kLog)) {
        LaunchSpan span{line.first, line.stamp, 0};
        for (const StampedLine& end : ends)
            if (end.stamp == line.stamp && end.first == line.first) span.ended = std::wcstoull(end.rest.c_str(), nullptr, 10);
        spans.push_back(std::move(span));
    }
    return spans;
}

void ClearLaunches()
{
    DeleteStateFile(kArea, kLog);
    DeleteStateFile(kArea, kEndLog);
}

std::wstring HoldName(const std::wstring& fileName) { return L"Local\\TapdeckSimHold-" + fileName; }

void WaitWhileHeld(const std::wstring& fileName)
{
    unique_handle hold(::OpenSemaphoreW(SYNCHRONIZE, FALSE, HoldName(fileName).c_str()));
    if (hold) ::WaitForSingleObject(hold.get(), kHoldLimitMs);
}

const std::vector<std::wstring>& RecorderVersions()
{
    static const std::vector<std::wstring> versions{L"9.0", L"10.0", L"11.0", L"11.0.1"};
    return versions;
}

std::wstring RecorderPath(const std::wstring& version)
{
    return kBin + version + L"\\PhotoshopElementsEditor.exe";
}

bool UnregisterEditor(HKEY root)
{
    const LSTATUS status = ::RegDeleteTreeW(root, kProductKey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool RegisterEditor(const std::vector<std::wstring>& versions, HKEY root)
{
    if (!UnregisterEditor(root)) return false;
    if (versions.empty()) return true;
    for (const std::wstring& version : versions) {
        unique_hkey key;
        const std::wstring path = std::wstring(kProductKey) + L"\\" + version + L"\\ApplicationPath";
        if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) !=
            ERROR_SUCCESS)
            return false;
        // The folder with its trailing backslash: the product appends the file name.
        const std::wstring folder = kBin + version + L"\\";
        if (::RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                             static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
            return false;
    }
    return true;
}

}  // namespace tapdeck::sim
