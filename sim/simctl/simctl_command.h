#pragma once
// simctl.exe drives and inspects the stand-ins. Each stand-in adds a source
// file here that registers its commands with a static SimctlCommand:
//   static SimctlCommand nfcTouch(L"nfc-touch", L"HEX  touch a tag", RunNfcTouch);
// A command gets its arguments (after its name) and returns the exit code.
#include <functional>
#include <string>
#include <vector>

namespace tapdeck::sim {

using SimctlArgs = std::vector<std::wstring>;
using SimctlHandler = std::function<int(const SimctlArgs&)>;

class SimctlCommand {
public:
    SimctlCommand(const wchar_t* name, const wchar_t* usage, SimctlHandler handler);
};

// Writes UTF-8 text to standard output (what Linux scripts read).
void SimctlPrint(const std::wstring& text);

}  // namespace tapdeck::sim
