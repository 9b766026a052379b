// simctl commands of the NFC radio stand-in.
#include <windows.h>

#include "hex.h"
#include "../nfc/ndef_routing.h"
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
    if (args.size() != 1 || !FromHex(args[0], bytes)) return 2;
    return Send(L"touch\t" + args[0]);
}

// A "Windows.<subtype>" message as another PC sends it over NFC: one record
// of TNF 3 whose type is the subtype, the text as UTF-16LE bytes its payload.
int TouchText(const SimctlArgs& args)
{
    if (args.size() != 2 || args[0].rfind(L"Windows.", 0) != 0) return 2;
    std::vector<BYTE> text;
    for (wchar_t c : args[1]) {
        text.push_back(static_cast<BYTE>(c & 0xff));
        text.push_back(static_cast<BYTE>(c >> 8));
    }
    const std::vector<BYTE> message = MessageRoutedTo(args[0], text);
    return message.empty() ? 2 : Send(L"touch\t" + ToHex(message));
}

int Refuse(const SimctlArgs& args)
{
    if (args.size() > 1) return 2;
    if (args.empty() || args[0].empty()) {
        DeleteStateFile(kNfcArea, kNfcRefuseFile);
        return 0;
    }
    return WriteStateFile(kNfcArea, kNfcRefuseFile, args[0]) ? 0 : 1;
}

// The static tag on the reader. Placing one (or "touch" for the one there)
// brings it near every program with the radio open; "remove" takes it away.
int Tag(const SimctlArgs& args)
{
    if (args.size() == 1 && args[0] == L"remove") {
        DeleteStateFile(kNfcArea, kNfcTagFile);
        return Send(L"depart");
    }
    if (args.size() == 1 && args[0] == L"touch") return Send(L"tag");
    std::vector<BYTE> bytes;
    if (args.size() >= 2 && args.size() <= 3 && (args[0] == L"writable" || args[0] == L"leaving")) {
        wchar_t* end = nullptr;
        const unsigned long capacity = std::wcstoul(args[1].c_str(), &end, 10);
        if (args[1].empty() || *end || (args.size() == 3 && !FromHex(args[2], bytes))) return 2;
        if (!WriteStateFile(kNfcArea, kNfcTagFile, args[0] + L" " + std::to_wstring(capacity) + L" " + ToHex(bytes)))
            return 1;
        return Send(L"tag");
    }
    if (args.size() == 2 && args[0] == L"read-only" && FromHex(args[1], bytes)) {
        if (!WriteStateFile(kNfcArea, kNfcTagFile, L"read-only " + ToHex(bytes))) return 1;
        return Send(L"tag");
    }
    return 2;
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
    DeleteStateFile(kNfcArea, kNfcAskedFile);
    DeleteStateFile(kNfcArea, kNfcRefuseFile);
    DeleteStateFile(kNfcArea, kNfcTagFile);
    return 0;
}

SimctlCommand deviceCommand(L"nfc-device", L"present|absent|hold|release  whether GetDefault finds a radio; hold keeps callers waiting in it", Device);
SimctlCommand touchCommand(L"nfc-touch",
                           L"HEX  a tag holding this NDEF message comes near; its first record decides who gets it",
                           Touch);
SimctlCommand touchTextCommand(L"nfc-touch-text", L"Windows.SUBTYPE TEXT  a PC sends the text as a Windows message",
                               TouchText);
SimctlCommand refuseCommand(L"nfc-refuse", L"[TYPE]  subscriptions of TYPE fail from now on (none: all succeed)",
                            Refuse);
SimctlCommand tagCommand(L"nfc-tag",
                         L"writable|leaving CAPACITY [HEX] | read-only HEX | touch | remove  a static tag on the "
                         L"reader (a leaving one goes before a write to it ends)",
                         Tag);
SimctlCommand departCommand(L"nfc-depart", L"  the peer leaves", Depart);
SimctlCommand transmitCommand(L"nfc-transmit", L"  a peer reads every published message", Transmit);
SimctlCommand recordsCommand(L"nfc-records",
                             L"[subscriptions|published]  subscribe/unsubscribe, "
                             L"publish/transmitted/withdraw/unknown-withdraw lines",
                             Records);
SimctlCommand resetCommand(L"nfc-reset", L"  radio absent, no type refused, no tag, records emptied", Reset);

}  // namespace
}  // namespace tapdeck::sim
