#include "sim_state.h"

#include "unique_handle.h"
#include "utf8.h"

namespace tapdeck::sim {
namespace {

constexpr wchar_t kRoot[] = L"C:\\tapdeck-sim";

// One lock for every record file: writers are few and short.
class RecordLock {
public:
    RecordLock() : mutex_(::CreateMutexW(nullptr, FALSE, L"Local\\TapdeckSimRecordLock"))
    {
        if (mutex_) ::WaitForSingleObject(mutex_.get(), 5000);
    }
    ~RecordLock()
    {
        if (mutex_) ::ReleaseMutex(mutex_.get());
    }

private:
    unique_mutex mutex_;
};

}  // namespace

// The product's conversions, so that stand-ins and tests read and write text
// exactly as it does.
std::string ToUtf8(std::wstring_view text) { return tapdeck::ToUtf8(text); }
std::wstring FromUtf8(std::string_view text) { return tapdeck::FromUtf8(text); }

std::wstring StateDir(std::wstring_view area)
{
    ::CreateDirectoryW(kRoot, nullptr);
    std::wstring dir = std::wstring(kRoot) + L"\\" + std::wstring(area);
    ::CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::wstring StatePath(std::wstring_view area, std::wstring_view name)
{
    return StateDir(area) + L"\\" + std::wstring(name);
}

void AppendStamp(LONGLONG counter, std::wstring_view area, std::wstring_view what)
{
    // No lock: each line is one write to a file opened for appending only.
    const std::wstring path = std::wstring(kRoot) + L"\\stamps.log";
    unique_file handle(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return;
    const std::string bytes = std::to_string(counter) + "\t" + std::to_string(::GetCurrentProcessId()) + "\t" +
                              ToUtf8(area) + "\t" + ToUtf8(what.substr(0, what.find_first_of(L"\t "))) + "\n";
    DWORD written = 0;
    ::WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool AppendRecord(std::wstring_view area, std::wstring_view file, std::wstring_view line)
{
    LARGE_INTEGER began{};
    ::QueryPerformanceCounter(&began);
    AppendStamp(began.QuadPart, area, line);
    RecordLock lock;
    unique_file handle(::CreateFileW(StatePath(area, file).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return false;
    const std::string bytes = ToUtf8(line) + "\n";
    DWORD written = 0;
    return ::WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::wstring ReadStateFile(std::wstring_view area, std::wstring_view file)
{
    RecordLock lock;
    unique_file handle(::CreateFileW(StatePath(area, file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return {};
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(handle.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    return FromUtf8(bytes);
}

bool WriteStateFile(std::wstring_view area, std::wstring_view file, std::wstring_view text)
{
    RecordLock lock;
    unique_file handle(::CreateFileW(StatePath(area, file).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return false;
    const std::string bytes = ToUtf8(text);
    DWORD written = 0;
    return ::WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool DeleteStateFile(std::wstring_view area, std::wstring_view file)
{
    // A writer holds the file open without sharing its deletion: a reset
    // beside it would fail, and leave the old records to the next reader.
    RecordLock lock;
    return ::DeleteFileW(StatePath(area, file).c_str()) != FALSE;
}

}  // namespace tapdeck::sim
