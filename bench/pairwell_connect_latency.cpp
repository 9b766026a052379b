// How long a camera touch takes to reach the companion app: from the start
// of Pairwell.exe (as the agent starts it, with the camera's message) to the
// companion's activation, over a Wi-Fi adapter that connects at once;
// median over 15 runs, beside the floor of starting and ending an empty
// program in the same run. Run in the prefix after the install.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_process.h"
#include "unique_handle.h"

using namespace tapdeck;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRuns = 15;
constexpr wchar_t kActivations[] = L"C:\\tapdeck-sim\\activation\\records.txt";
constexpr wchar_t kSimctl[] = L"C:\\tapdeck-sim\\bin\\simctl.exe";

void Run(const std::wstring& path, const std::wstring& arguments)
{
    const unique_handle process = bench::StartProgram(path, arguments);
    if (process) ::WaitForSingleObject(process.get(), 30000);
}

bool Activated()
{
    return ::GetFileAttributesW(kActivations) != INVALID_FILE_ATTRIBUTES;
}

// The camera's message for "KOX-CAM-BENCH" / "bench-passphrase".
std::wstring Payload()
{
    const std::string ssid = "KOX-CAM-BENCH";
    const std::string pass = "bench-passphrase";
    std::string payload = std::string("\x00\x01\x00\x01\x10", 5);
    payload += std::string("\x10\x00\x00", 3) + static_cast<char>(ssid.size()) + ssid;
    payload += std::string("\x10\x01\x00", 3) + static_cast<char>(pass.size()) + pass;
    std::string message = std::string("\x92\x16", 2) + static_cast<char>(payload.size()) + "application/x-vexa-kox" +
                          payload;
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring hex;
    for (const unsigned char byte : message) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 1 && std::wstring(argv[1]) == L"--empty") return 0;
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring pairwell = bench::InstalledProgram(L"Pairwell.exe");
    const std::wstring payload = Payload();

    std::vector<double> floor;
    std::vector<double> touch;
    for (int i = 0; i < kRuns; ++i) {
        auto start = Clock::now();
        Run(self, L"--empty");
        floor.push_back(Ms(Clock::now() - start));

        Run(kSimctl, L"wlan-reset");
        Run(kSimctl, L"wlan-network KOX-CAM-BENCH bench-passphrase");
        ::DeleteFileW(kActivations);
        start = Clock::now();
        const unique_handle process = bench::StartProgram(pairwell, payload);
        if (!process) {
            std::fprintf(stderr, "cannot start Pairwell.exe\n");
            return 1;
        }
        while (!Activated() && Clock::now() - start < std::chrono::seconds(30)) ::Sleep(1);
        touch.push_back(Ms(Clock::now() - start));
        ::WaitForSingleObject(process.get(), 30000);
    }
    const double floorMs = Median(floor);
    const double touchMs = Median(touch);
    std::printf("pairwell start to companion activation: median %.1f ms over %d runs\n", touchMs, kRuns);
    std::printf("floor (start and end of an empty program): median %.1f ms\n", floorMs);
    std::printf("ratio to floor: %.2f\n", touchMs / floorMs);
    return 0;
}
