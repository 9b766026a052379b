// simctl commands of the NFC radio stand-in.
#include <windows.h>

#include "../nfc/hex_text.h"
#include "../nfc/radio_protocol.h"
#include "sim_state.h"
#include "simctl_command.h"

namespace tapdeck::sim {
namespace {

int Send(const std::wstring& request)
{
    const long called = BroadcastRadioRequest(ToUtf8(request));
    if (called < 0) {
        SimctlPrint(L"no program has the radio open\n");
        return 1;
    }
    SimctlPrint(std::to_wstring(called) + L" handler(s) called\n");
    return 0;
}

int Device(const SimctlArgs& args)
{
    if (args.size() != 1) return 2;
    if (args[0] == L"present") return WriteStateFile(kNfcArea, kNfcPresentFile, L"1") ? 0 : 1;
    if (args[0] == L"absent") {
        DeleteStateFile(kNfcArea, kNfcPresentFile);
        return 0;
    }
    if (args[0] == L"hold") return WriteStateFile(kNfcArea, kNfcHoldFile, L"1") ? 0 : 1;
    if (args[0] == L"release") {
        DeleteStateFile(kNfcArea, kNfcHoldFile);
        return 0;
    }
    return 2;
}

int Touch(const SimctlArgs& args)
{
    std::vector<BYTE> bytes;
    if (args.size() != 2 || args[0].empty() || !FromHex(args[1], bytes)) return 2;
    return Send(L"touch\t" + args[0] + L"\t" + args[1]);
}

// The text as UTF-16LE bytes: what a "Windows" message carries.
int TouchText(const SimctlArgs& args)
{
    if (args.size() != 2 || args[0].empty()) return 2;
    std::vector<BYTE> bytes;
    for (wchar_t c : args[1]) {
        bytes.push_back(static_cast<BYTE>(c & 0xff));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return Send(L"touch\t" + args[0] + L"\t" + ToHex(bytes));
}

int Depart(const SimctlArgs& args) { return args.empty() ? Send(L"depart") : 2; }

int Transmit(const SimctlArgs& args) { return args.empty() ? Send(L"transmit") : 2; }

int Records(const SimctlArgs& args)
{
    if (args.size() > 1) return 2;
    const std::wstring which = args.empty() ? L"all" : args[0];
    if (which == L"all" || which == L"subscriptions") SimctlPrint(ReadStateFile(kNfcArea, kNfcSubscriptionsFile));
    if (which == L"all" || which == L"published") SimctlPrint(ReadStateFile(kNfcArea, kNfcPublishedFile));
    return 0;
}

int Reset(const SimctlArgs& args)
{
    if (!args.empty()) return 2;
    DeleteStateFile(kNfcArea, kNfcSubscriptionsFile);
    DeleteStateFile(kNfcArea, kNfcPublishedFile);
    DeleteStateFile(kNfcArea, kNfcPresentFile);
    DeleteStateFile(kNfcArea, kNfcHoldFile);
    DeleteStateFile(kNfcArea, kNfcHeldFile);
    return 0;
}

SimctlCommand deviceCommand(L"nfc-device", L"present|absent|hold|release  whether GetDefault finds a radio; hold keeps callers waiting in it", Device);
SimctlCommand touchCommand(L"nfc-touch", L"TYPE HEX  a peer comes near and sends a message of these bytes", Touch);
SimctlCommand touchTextCommand(L"nfc-touch-text", L"TYPE TEXT  the same with the text as UTF-16LE bytes",
                               TouchText);
SimctlCommand departCommand(L"nfc-depart", L"  the peer leaves", Depart);
SimctlCommand transmitCommand(L"nfc-transmit", L"  a peer reads every published message", Transmit);
SimctlCommand recordsCommand(L"nfc-records",
                             L"[subscriptions|published]  subscribe/unsubscribe, publish/transmitted/withdraw lines",
                             Records);
SimctlCommand resetCommand(L"nfc-reset", L"  radio absent, records emptied", Reset);

}  // namespace
}  // namespace tapdeck::sim
