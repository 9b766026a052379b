#pragma once
// How often a process has asked the radio stand-in for the default
// proximity device while none was present: its start-up lookup, then each
// retry, counted as they come.
#include <windows.h>

#include <string>

#include "../../sim/nfc/radio_protocol.h"
#include "sim_state.h"

namespace tapdeck::test {

inline void ForgetRadioAsks() { sim::DeleteStateFile(sim::kNfcArea, sim::kNfcAskedFile); }

inline long RadioAsksBy(DWORD processId)
{
    const std::wstring text = sim::ReadStateFile(sim::kNfcArea, sim::kNfcAskedFile);
    const std::wstring id = std::to_wstring(processId);
    long asks = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        asks += text.compare(start, end - start, id) == 0;
        start = end + 1;
    }
    return asks;
}

}  // namespace tapdeck::test
