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
constexpr wchar_t kProductKey[] = L"Software\\Wow6432Node\\Adobe\\Photoshop Elements";
constexpr wchar_t kBin[] = L"C:\\tapdeck-sim\\bin\\photoeditor\\";

}  // namespace

void RecordLaunch(const std::wstring& program, const std::wstring& parameters)
{
    FILETIME created{};
    FILETIME unused[3];
    ::GetProcessTimes(::GetCurrentProcess(), &created, &unused[0], &unused[1], &unused[2]);
    const unsigned long long stamp =
        (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    AppendRecord(kArea, kLog, std::to_wstring(stamp) + L"|" + program + L"|" + parameters);
}

std::vector<Launch> ReadLaunches()
{
    std::vector<std::pair<unsigned long long, Launch>> stamped;
    const std::wstring text = ReadStateFile(kArea, kLog);
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find(L'\n', begin);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(begin, end - begin);
        const size_t first = line.find(L'|');
        const size_t second = first == std::wstring::npos ? first : line.find(L'|', first + 1);
        if (second != std::wstring::npos)
            stamped.push_back({std::wcstoull(line.c_str(), nullptr, 10),
                               Launch{line.substr(first + 1, second - first - 1), line.substr(second + 1)}});
        begin = end + 1;
    }
    std::stable_sort(stamped.begin(), stamped.end(),
                     [](const auto& left, const auto& right) { return left.first < right.first; });
    std::vector<Launch> launches;
    for (auto& entry : stamped) launches.push_back(std::move(entry.second));
    return launches;
}

void ClearLaunches() { DeleteStateFile(kArea, kLog); }

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
