// How long the companion app waits for its answer: from "App.Info" written
// to "Session.info" complete, median over 200 writes, beside the floor of a
// minimal directory watcher that writes a file on the same notification.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "companion_files.h"
#include "monitor_state.h"
#include "unique_handle.h"

using namespace tapdeck;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kWrites = 200;
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
    std::wstring request;
    std::wstring reply;
    const char* end;
    std::string (*requestFor)(int);
    std::string (*markerFor)(int);
};

// Writes the request, then spins until the reply holds the marker and its end.
double SampleMs(const Exchange& exchange, int i)
{
    const std::string marker = exchange.markerFor(i);
    const size_t endLength = std::strlen(exchange.end);
    const auto start = Clock::now();
    WriteFileBytes(exchange.request, exchange.requestFor(i));
    for (;;) {
        const std::string bytes = ReadFileBytes(exchange.reply);
        if (bytes.find(marker) != std::string::npos && bytes.size() >= endLength &&
            bytes.compare(bytes.size() - endLength, std::string::npos, exchange.end) == 0)
            break;
        if (Clock::now() - start > std::chrono::seconds(5)) break;
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

std::string AppInfoFor(int i) { return sim::AppInfoXml(L"bench-" + std::to_wstring(i)); }
std::string SessionMarkerFor(int i) { return "<SessionID>bench-" + std::to_string(i) + "</SessionID>"; }
std::string FloorRequestFor(int i) { return "request " + std::to_string(i); }
std::string FloorMarkerFor(int i) { return "reply " + std::to_string(i) + "."; }

// The floor: one overlapped read per notification, one small file written.
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
        const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer);
        if (bytes == 0 || std::wstring(record->FileName, record->FileNameLength / 2) != L"Request") continue;
        const std::string request = ReadFileBytes(folder + L"\\Request");
        if (request.rfind("request ", 0) == 0) WriteFileBytes(folder + L"\\Reply", "reply " + request.substr(8) + ".");
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
    ::Sleep(200);
    unique_thread floorThread(::CreateThread(nullptr, 0, FloorWatcher, const_cast<std::wstring*>(&floorFolder), 0, nullptr));
    ::Sleep(100);

    // Alternating, so that both see the same machine.
    const Exchange floorExchange{floorFolder + L"\\Request", floorFolder + L"\\Reply", ".", FloorRequestFor,
                                 FloorMarkerFor};
    const Exchange sessionExchange{localState + L"\\App.Info", localState + L"\\Session.info", "</SessionInfo>",
                                   AppInfoFor, SessionMarkerFor};
    std::vector<double> floorSamples;
    std::vector<double> sessionSamples;
    for (int i = 0; i < kWrites; ++i) {
        floorSamples.push_back(SampleMs(floorExchange, i));
        sessionSamples.push_back(SampleMs(sessionExchange, i));
    }
    const double floorMs = Median(floorSamples);
    const double sessionMs = Median(sessionSamples);
    monitor->StopMonitor();
    std::printf("App.Info -> Session.info complete: median %.2f ms over %d writes\n", sessionMs, kWrites);
    std::printf("minimal directory watcher floor:   median %.2f ms over %d writes\n", floorMs, kWrites);
    std::printf("ratio to the floor: %.2f\n", floorMs > 0 ? sessionMs / floorMs : 0.0);
    return 0;
}
