#include "installation_folder.h"
#include "compare_no_case.h"

#include <psapi.h>

#include <algorithm>

namespace tapdeck {
namespace {

bool IsBelow(const std::wstring& path, const std::wstring& folder)
{
    std::wstring prefix = folder;
    if (prefix.empty()) return false;
    if (prefix.back() != L'\\') prefix += L'\\';
    return path.size() > prefix.size() && StartsWithNoCase(path, prefix);
}

std::vector<DWORD> ProcessIds()
{
    std::vector<DWORD> ids(1024);
    for (;;) {
        DWORD bytes = 0;
        if (!::EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) return {};
        if (bytes < ids.size() * sizeof(DWORD)) {
            ids.resize(bytes / sizeof(DWORD));
            return ids;
        }
        ids.resize(ids.size() * 2);
    }
}

}  // namespace

std::vector<unique_handle> OpenProcessesInFolder(const std::wstring& folder)
{
    std::vector<unique_handle> found;
    const DWORD self = ::GetCurrentProcessId();
    for (const DWORD id : ProcessIds()) {
        if (id == self || id == 0) continue;
        unique_handle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
        if (!process) continue;
        wchar_t image[MAX_PATH * 2] = {};
        DWORD size = static_cast<DWORD>(std::size(image));
        if (!::QueryFullProcessImageNameW(process.get(), 0, image, &size)) continue;
        // An ended process keeps its image name while a handle holds it.
        if (::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) continue;
        if (IsBelow(std::wstring(image, size), folder)) found.push_back(std::move(process));
    }
    return found;
}

bool WaitUntilFolderIdle(const std::wstring& folder, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        const std::vector<unique_handle> running = OpenProcessesInFolder(folder);
        if (running.empty()) return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return false;
        // Then looked at again: one of them may have started another.
        std::vector<HANDLE> handles;
        for (const auto& process : running) {
            if (handles.size() == MAXIMUM_WAIT_OBJECTS) break;
            handles.push_back(process.get());
        }
        ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE,
                                 static_cast<DWORD>(deadline - now));
    }
}

}  // namespace tapdeck
