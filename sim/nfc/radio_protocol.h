#pragma once
// How simctl and tests reach the stand-in radio inside the process that
// opened it: every such process serves a message pipe named after its id
// and leaves a "host-<pid>" file in C:\tapdeck-sim\nfc. A request is one
// line of tab-separated UTF-8 fields; the answer is "ok <handlers called>".
// "touch\t<hex>" brings a tag holding that NDEF message near: its first
// record decides which subscriptions receive it. A touch's answer is
// followed by a blank and the performance counter read just before the
// first handler was called. "tag" brings the tag of kNfcTagFile near.
// "census" writes the radio's census
// record of that process now and answers "ok <alive> <underflows>".
// "transmit" has a peer read every published message, "transmit\t<id>" only
// that one; each is reported to its own transmitted handler with its id.
#include <windows.h>
#include <string>
#include <vector>

#include "sim_state.h"
#include "unique_handle.h"

namespace tapdeck::sim {

inline constexpr wchar_t kNfcArea[] = L"nfc";
inline constexpr wchar_t kNfcPresentFile[] = L"present";
inline constexpr wchar_t kNfcSubscriptionsFile[] = L"subscriptions.log";
inline constexpr wchar_t kNfcPublishedFile[] = L"published.log";
// While this file exists, GetDefault waits (at most 30 s) before it answers,
// as a slow radio driver would; each process it holds is noted in the log.
inline constexpr wchar_t kNfcHoldFile[] = L"hold";
inline constexpr wchar_t kNfcHeldFile[] = L"held.log";
// Each GetDefault call while no radio is present: the caller's process id,
// one line each, so that a program's retries can be counted as they come.
inline constexpr wchar_t kNfcAskedFile[] = L"asked.log";
// The static tag on the reader: "writable <capacity> <hex>", "leaving
// <capacity> <hex>" (writable, but taken away before a write ends) or
// "read-only <hex>".
inline constexpr wchar_t kNfcTagFile[] = L"tag";
// Names one message type whose subscriptions the radio refuses while it exists.
inline constexpr wchar_t kNfcRefuseFile[] = L"refuse";
// The radio's census records: "nfc-<pid>.txt" in C:\tapdeck-sim\census.
inline constexpr wchar_t kNfcCensus[] = L"nfc";

inline std::wstring RadioPipeName(DWORD pid) { return L"\\\\.\\pipe\\tapdeck-sim-nfc-" + std::to_wstring(pid); }
inline std::wstring RadioHostFile(DWORD pid) { return L"host-" + std::to_wstring(pid); }

// The ids of the processes that serve a radio now.
inline std::vector<DWORD> RadioHosts()
{
    std::vector<DWORD> hosts;
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = StatePath(kNfcArea, L"host-*");
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return hosts;
    do {
        hosts.push_back(static_cast<DWORD>(std::wcstoul(found.cFileName + 5, nullptr, 10)));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return hosts;
}

inline bool HostAlive(DWORD pid)
{
    unique_handle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    return process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// Sends one request to one host; its answer, or empty when it is gone.
inline std::string SendRadioRequest(DWORD pid, const std::string& request)
{
    const std::wstring name = RadioPipeName(pid);
    unique_file pipe;
    for (int attempt = 0; attempt < 50 && !pipe; ++attempt) {
        pipe.reset(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (pipe) break;
        const DWORD error = ::GetLastError();
        if (error == ERROR_PIPE_BUSY) {
            ::WaitNamedPipeW(name.c_str(), 200);
        } else if (error == ERROR_FILE_NOT_FOUND && HostAlive(pid)) {
            // A busy host has every instance connected until its listener
            // makes the next one, which a loaded machine can delay for well
            // over a second; a host that has ended stays not found.
            ::Sleep(attempt < 10 ? 2 : 50);
        } else {
            return {};
        }
    }
    if (!pipe) return {};
    DWORD mode = PIPE_READMODE_MESSAGE;
    ::SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr);
    DWORD written = 0;
    if (!::WriteFile(pipe.get(), request.data(), static_cast<DWORD>(request.size()), &written, nullptr)) return {};
    char reply[256];
    DWORD read = 0;
    if (!::ReadFile(pipe.get(), reply, sizeof(reply), &read, nullptr)) return {};
    return std::string(reply, read);
}

// Sends a request to every host, forgetting hosts that have ended; the
// number of handlers called in all of them, or -1 when no host answered.
inline long BroadcastRadioRequest(const std::string& request)
{
    long total = -1;
    for (DWORD pid : RadioHosts()) {
        const std::string reply = SendRadioRequest(pid, request);
        if (reply.rfind("ok ", 0) != 0) {
            if (!HostAlive(pid)) DeleteStateFile(kNfcArea, RadioHostFile(pid));
            continue;
        }
        total = (total < 0 ? 0 : total) + std::strtol(reply.c_str() + 3, nullptr, 10);
    }
    return total;
}

}  // namespace tapdeck::sim
