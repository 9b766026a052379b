#pragma once
// The world NFC tests arrange: handler registrations under NFCDB, the
// stand-in radio and what it recorded, and the recorder handler's log.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <cwchar>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "compare_no_case.h"
#include "hex.h"
#include "../../sim/nfc/radio_protocol.h"
#include "ndef_routing.h"
#include "census.h"
#include "proc_address.h"
#include "product_names.h"
#include "sim_state.h"
#include "support/nfc_registrations.h"
#include "support/process.h"
#include "unique_handle.h"

namespace tapdeck::test {

inline constexpr wchar_t kRecorder[] = L"C:\\tapdeck-sim\\bin\\nfc-recorder.exe";

inline std::vector<std::wstring> Lines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// "<exe name>\t<parameters>" for every start of a recorder so far.
inline std::vector<std::wstring> HandlerStarts() { return Lines(sim::ReadStateFile(L"handler", L"started.log")); }
inline void ClearHandlerStarts()
{
    sim::DeleteStateFile(L"handler", L"started.log");
    sim::DeleteStateFile(L"handler", L"timing.log");
}

inline bool RecorderRunning()
{
    unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return true;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        if (EqualsNoCase(entry.szExeFile, L"nfc-recorder.exe")) return true;
    }
    return false;
}

// A handler is started before the touch that led to it returns, so once no
// recorder runs any more, every touch made so far has its line in the log.
inline bool WaitForRecorders()
{
    using namespace std::chrono_literals;
    return WaitUntil([] { return !RecorderRunning(); }, 20s);
}

inline constexpr wchar_t kMissingHandler[] = L"C:\\tapdeck-sim\\bin\\no-such-handler.exe";

// A tag's message, as hexadecimal text, that reaches subscriptions of the
// type: one record carrying the payload.
inline std::string TagMessage(const std::wstring& type, const std::string& payloadHex)
{
    std::vector<BYTE> payload;
    tapdeck::FromHex(sim::FromUtf8(payloadHex), payload);
    return sim::ToUtf8(tapdeck::ToHex(sim::MessageRoutedTo(type, payload)));
}

inline std::string TouchRequest(const std::string& messageHex) { return "touch\t" + messageHex; }

inline constexpr wchar_t kStormType[] = L"NDEF:ext.storm";

// A storm's registration churn: "NDEF:ext.extra0" and "NDEF:ext.extra1", handled by
// a program that does not exist, registered and removed until stop is set.
inline std::thread ChurnRegistrations(const std::atomic<bool>& stop)
{
    return std::thread([&stop] {
        for (int round = 0; !stop; ++round) {
            const std::wstring k = std::to_wstring(round % 2);
            Register(L"Extra" + k, L"NDEF:ext.extra" + k, kMissingHandler);
            Unregister(L"Extra" + k);
        }
    });
}

// A storm touches the recorder's type with every 64th number: each start
// must carry exactly one such number, as eight lowercase hexadecimal digits,
// from a touch made before the stop: the whole message of kStormType, or
// the text alone of a Windows type.
inline void ExpectStormStartsWellFormed(long stoppedAt)
{
    std::wstring header = sim::FromUtf8(TagMessage(kStormType, "00000000"));
    header.resize(header.size() - 8);
    const auto starts = HandlerStarts();
    EXPECT_FALSE(starts.empty());
    for (const auto& start : starts) {
        ASSERT_EQ(L"nfc-recorder.exe\t", start.substr(0, 17));
        std::wstring hex = start.substr(17);
        if (hex.size() != 8) {
            ASSERT_EQ(header.size() + 8, hex.size()) << sim::ToUtf8(start);
            ASSERT_EQ(header, hex.substr(0, header.size())) << sim::ToUtf8(start);
            hex = hex.substr(header.size());
        }
        ASSERT_EQ(std::wstring::npos, hex.find_first_not_of(L"0123456789abcdef")) << sim::ToUtf8(start);
        const long n = std::wcstol(hex.c_str(), nullptr, 16);
        EXPECT_EQ(0, n % 64) << sim::ToUtf8(start);
        EXPECT_LT(n, stoppedAt) << "started after the stop: " << sim::ToUtf8(start);
    }
}

inline std::vector<std::wstring> RadioRecords(const wchar_t* file) { return Lines(sim::ReadStateFile(sim::kNfcArea, file)); }

inline long CountPrefix(const std::vector<std::wstring>& lines, const std::wstring& prefix)
{
    long count = 0;
    for (const auto& line : lines) count += line.rfind(prefix, 0) == 0;
    return count;
}

// Active subscriptions of a type: subscribe lines minus unsubscribe lines.
inline long ActiveSubscriptions(const std::wstring& type)
{
    long count = 0;
    for (const auto& line : RadioRecords(sim::kNfcSubscriptionsFile)) {
        const size_t tab = line.rfind(L'\t');
        if (tab == std::wstring::npos || line.substr(tab + 1) != type) continue;
        if (line.rfind(L"subscribe\t", 0) == 0) ++count;
        if (line.rfind(L"unsubscribe\t", 0) == 0) --count;
    }
    return count;
}

inline void ResetRadio()
{
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcSubscriptionsFile);
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcPublishedFile);
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcPresentFile);
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcRefuseFile);
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcTagFile);
}

inline void SetRadioPresent(bool present)
{
    if (present)
        sim::WriteStateFile(sim::kNfcArea, sim::kNfcPresentFile, L"1");
    else
        sim::DeleteStateFile(sim::kNfcArea, sim::kNfcPresentFile);
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcRefuseFile);
}

// Where every NFC test starts: no registrations, no handler starts, and the
// radio's records of the last test gone.
inline void FreshNfcWorld(bool radioPresent)
{
    ClearRegistrations();
    ResetRadio();
    ClearHandlerStarts();
    SetRadioPresent(radioPresent);
}

inline std::string Utf16Hex(const std::wstring& text)
{
    // UTF-16LE, as the radio delivers a "Windows" message's text.
    return sim::ToUtf8(tapdeck::ToHex(text.data(), text.size() * sizeof(wchar_t)));
}

// The radio's census of this process, written now (the radio library in a
// test's own process); "class" -> row. Empty while the library is not loaded.
inline std::map<std::wstring, sim::CensusRow> RadioCensusHere()
{
    std::map<std::wstring, sim::CensusRow> rows;
    const HMODULE radio = ::GetModuleHandleW(L"tapdeck_sim_nfc.dll");
    const auto write = radio ? GetProcAddressAs<void(WINAPI*)()>(radio, "TapdeckSimWriteCensus") : nullptr;
    if (!write) return rows;
    write();
    for (const auto& row : sim::ReadCensus(::GetCurrentProcessId())) {
        if (row.standIn == sim::kNfcCensus) rows[row.className] = row;
    }
    return rows;
}

// Taken before a manager starts: after it has ended, every radio object it
// was given must be released again, and none released once too often.
class RadioCensusBaseline {
public:
    RadioCensusBaseline() : before_(RadioCensusHere()) {}
    void ExpectNothingLeftAlive() const
    {
        for (const auto& [name, row] : RadioCensusHere()) {
            const auto found = before_.find(name);
            const long alive = found == before_.end() ? 0 : found->second.alive;
            const long underflows = found == before_.end() ? 0 : found->second.underflows;
            EXPECT_EQ(alive, row.alive) << "left alive: " << sim::ToUtf8(name);
            EXPECT_EQ(underflows, row.underflows) << "released below zero: " << sim::ToUtf8(name);
        }
    }

private:
    std::map<std::wstring, sim::CensusRow> before_;
};

}  // namespace tapdeck::test
