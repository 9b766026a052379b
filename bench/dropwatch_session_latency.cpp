// How long the companion app waits for its answer: from "App.Info" written
// to "Session.info" complete, median over 200 writes, beside the floor of a
// minimal directory watcher that does what any answer must on the same
// notification: read the identifier from "App.Info" and write "Session.info"
// with XmlLite. Both sides learn of their reply the same way, from a change
// notification of its folder; a reply that does not come within 5 s is a
// failure, and any failure makes the benchmark end with exit code 1.
#include <windows.h>
#include <shlobj.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_report.h"
#include "companion_files.h"
#include "folder_watch.h"
#include "monitor_state.h"
#include "session_info.h"
#include "unique_handle.h"

using namespace tapdeck;

namespace {

constexpr int kWrites = 200;
constexpr DWORD kSampleTimeoutMs = 5000;
std::wstring root;

HRESULT WINAPI BenchKnownFolder(REFKNOWNFOLDERID id, DWORD, HANDLE, PWSTR* path)
{
    const std::wstring folder = root + (IsEqualGUID(id, FOLDERID_LocalAppData) ? L"\\LocalAppData" : L"\\ProgramFiles");
    *path = static_cast<PWSTR>(::CoTaskMemAlloc((folder.size() + 1) * sizeof(wchar_t)));
    wcscpy_s(*path, folder.size() + 1, folder.c_str());
    return S_OK;
}

bool Installed(const wchar_t*) { return true; }

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file) ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::string bytes;
    unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return bytes;
    char chunk[4096];
    DWORD read = 0;
    while (::ReadFile(file.get(), chunk, sizeof(chunk), &read, nullptr) && read > 0) bytes.append(chunk, read);
    return bytes;
}

struct Exchange {
    std::wstring folder;
    std::wstring request;  // file names in the folder
    std::wstring reply;
    const char* end;
    std::string (*requestFor)(int);
    std::string (*markerFor)(int);
};

bool ReplyComplete(const Exchange& exchange, const std::string& marker)
{
    const std::string bytes = ReadFileBytes(exchange.folder + L"\\" + exchange.reply);
    const size_t endLength = std::strlen(exchange.end);
    return bytes.find(marker) != std::string::npos && bytes.size() >= endLength &&
           bytes.compare(bytes.size() - endLength, std::string::npos, exchange.end) == 0;
}

// Writes the request and learns of the reply from the folder's change
// notifications, as the companion app would; the milliseconds until the
// reply was complete, or a negative value when it did not come in time.
double SampleMs(const Exchange& exchange, bench::FolderWatch& watch, int i, DWORD timeoutMs = kSampleTimeoutMs)
{
    const std::string marker = exchange.markerFor(i);
    const LONGLONG start = bench::Counter();
    const LONGLONG deadline = start + static_cast<LONGLONG>(timeoutMs) * bench::Frequency() / 1000;
    WriteFileBytes(exchange.folder + L"\\" + exchange.request, exchange.requestFor(i));
    while (watch.WaitForName(exchange.reply, deadline)) {
        if (ReplyComplete(exchange, marker)) return bench::CounterMs(bench::Counter() - start);
    }
    return -1;
}

// Until the side answers at all: its watcher may still be setting up.
bool Answers(const Exchange& exchange, bench::FolderWatch& watch)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (SampleMs(exchange, watch, -1 - attempt, 200) >= 0) return true;
    }
    return false;
}

std::string AppInfoFor(int i) { return sim::AppInfoXml(L"bench-" + std::to_wstring(i)); }
std::string SessionMarkerFor(int i) { return "<SessionID>bench-" + std::to_string(i) + "</SessionID>"; }
// The floor: a minimal watcher of its folder. Like Dropwatch it reads one
// change notification at a time, looks at every record of it and answers
// each "App.Info" named once: the same reader and writer as Dropwatch's, with
// no photo editor to look up and no monitor around them.
DWORD WINAPI FloorWatcher(void* param)
{
    const std::wstring folder = *static_cast<std::wstring*>(param);
    unique_file directory(::CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    unique_event io(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    alignas(DWORD) BYTE buffer[1024];
    OVERLAPPED overlapped{};
    overlapped.hEvent = io.get();
    for (;;) {
        if (!::ReadDirectoryChangesW(directory.get(), buffer, sizeof(buffer), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE,
                                     nullptr, &overlapped, nullptr))
            return 0;
        DWORD bytes = 0;
        if (!::GetOverlappedResult(directory.get(), &overlapped, &bytes, TRUE)) return 0;
        bool requested = false;
        for (DWORD offset = 0; offset + offsetof(FILE_NOTIFY_INFORMATION, FileName) <= bytes;) {
            const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + offset);
            if (offset + offsetof(FILE_NOTIFY_INFORMATION, FileName) + record->FileNameLength > bytes) break;
            requested = requested || std::wstring(record->FileName, record->FileNameLength / 2) == L"App.Info";
            if (record->NextEntryOffset == 0) break;
            offset += record->NextEntryOffset;
        }
        if (!requested) continue;
        std::wstring id;
        if (ReadSessionId(folder + L"\\App.Info", id)) WriteSessionInfo(folder + L"\\Session.info", id, L"0", L"");
    }
}

}  // namespace

int wmain()
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    root = std::wstring(temp) + L"tapdeck-bench-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring localState = root + L"\\LocalAppData\\Packages\\Vexa.Bench_x\\LocalState";
    const std::wstring profile = root + L"\\ProgramFiles\\Vexa\\Tapdeck\\Pairwell Profile";
    ::SHCreateDirectoryExW(nullptr, localState.c_str(), nullptr);
    ::SHCreateDirectoryExW(nullptr, profile.c_str(), nullptr);
    WriteFileBytes(profile + L"\\Configuration.xml",
                   "<Configuration><AppInfo PackageFamilyName=\"Vexa.Bench_x\" AppUserModelID=\"B!App\" "
                   "WiFiConnectRetryTimes=\"3\" WiFiConnectRetryInterval=\"10\"/></Configuration>");
    const std::wstring floorFolder = root + L"\\Floor";
    ::CreateDirectoryW(floorFolder.c_str(), nullptr);

    MonitorDependencies dependencies;
    dependencies.isPackageFamilyInstalled = Installed;
    dependencies.getKnownFolderPath = BenchKnownFolder;
    auto* monitor = new MonitorState(dependencies);  // outlives its worker, as the library's does
    if (monitor->StartMonitor() != 1) {
        std::printf("dropwatch_session_latency: the monitor did not start\n");
        return 1;
    }
    unique_thread floorThread(
        ::CreateThread(nullptr, 0, FloorWatcher, const_cast<std::wstring*>(&floorFolder), 0, nullptr));

    const Exchange floorExchange{floorFolder, L"App.Info", L"Session.info", "</SessionInfo>", AppInfoFor,
                                 SessionMarkerFor};
    const Exchange sessionExchange{localState, L"App.Info", L"Session.info", "</SessionInfo>", AppInfoFor,
                                   SessionMarkerFor};
    bench::FolderWatch floorWatch(floorFolder);
    bench::FolderWatch sessionWatch(localState);
    if (!floorWatch.Armed() || !sessionWatch.Armed() || !Answers(floorExchange, floorWatch) ||
        !Answers(sessionExchange, sessionWatch)) {
        std::printf("dropwatch_session_latency: a side never answered\n");
        monitor->StopMonitor();
        return 1;
    }

    // Alternating, so that both see the same machine; a sample that times
    // out is a failure, not a figure.
    std::vector<double> floorSamples;
    std::vector<double> sessionSamples;
    size_t floorFailures = 0;
    size_t sessionFailures = 0;
    for (int i = 0; i < kWrites; ++i) {
        const double floorMs = SampleMs(floorExchange, floorWatch, i);
        if (floorMs >= 0) floorSamples.push_back(floorMs);
        else ++floorFailures;
        const double sessionMs = SampleMs(sessionExchange, sessionWatch, i);
        if (sessionMs >= 0) sessionSamples.push_back(sessionMs);
        else ++sessionFailures;
    }
    monitor->StopMonitor();
    const double floorMs = bench::Median(floorSamples);
    const double sessionMs = bench::Median(sessionSamples);
    std::printf("App.Info -> Session.info complete: median %.2f ms over %zu writes, %zu timed out\n", sessionMs,
                sessionSamples.size(), sessionFailures);
    std::printf("read App.Info, write Session.info: median %.2f ms over %zu writes, %zu timed out\n", floorMs,
                floorSamples.size(), floorFailures);
    std::printf("ratio to the floor: %.2f\n", floorMs > 0 ? sessionMs / floorMs : 0.0);
    bench::PrintRow("App.Info -> Session.info", "ms", sessionMs, floorMs, sessionSamples.size(),
                    sessionFailures + floorFailures);
    return sessionFailures + floorFailures > 0 ? 1 : 0;
}
