// simctl commands that make a stand-in call fail (sim/common/fault.h).
#include <windows.h>
#include <cwchar>
#include <iterator>

#include "fault.h"
#include "simctl_command.h"

namespace tapdeck::sim {
namespace {

struct NamedCode {
    const wchar_t* name;
    unsigned long code;
};

// The codes tests name most; any other is given as a number.
constexpr NamedCode kCodes[] = {
    {L"E_FAIL", 0x80004005},           {L"E_OUTOFMEMORY", 0x8007000E},     {L"E_ACCESSDENIED", 0x80070005},
    {L"E_INVALIDARG", 0x80070057},     {L"E_UNEXPECTED", 0x8000FFFF},      {L"RPC_E_DISCONNECTED", 0x80010108},
    {L"ERROR_ACCESS_DENIED", 5},       {L"ERROR_NOT_ENOUGH_MEMORY", 8},    {L"ERROR_INVALID_PARAMETER", 87},
    {L"ERROR_INVALID_STATE", 5023},    {L"ERROR_SERVICE_NOT_ACTIVE", 1062}, {L"ERROR_NOT_FOUND", 1168},
};

bool ParseCode(const std::wstring& text, long& code)
{
    for (const NamedCode& named : kCodes) {
        if (text == named.name) {
            code = static_cast<long>(named.code);
            return true;
        }
    }
    wchar_t* end = nullptr;
    code = static_cast<long>(std::wcstoul(text.c_str(), &end, 0));
    return !text.empty() && *end == L'\0' && code != 0;
}

bool ParseCount(const std::wstring& text, long& value)
{
    wchar_t* end = nullptr;
    value = std::wcstol(text.c_str(), &end, 10);
    return !text.empty() && *end == L'\0';
}

int Fail(const SimctlArgs& args)
{
    if (args.size() < 2 || args.size() > 4 || args[0].empty()) return 2;
    if (args[1] == L"off") {
        if (args.size() != 2) return 2;
        DisarmFault(args[0]);
        return 0;
    }
    long code = 0;
    long count = -1;
    long skip = 0;
    if (!ParseCode(args[1], code)) return 2;
    if (args.size() >= 3 && (!ParseCount(args[2], count) || count < -1)) return 2;
    if (args.size() == 4 && (!ParseCount(args[3], skip) || skip < 0)) return 2;
    return ArmFault(args[0], code, count, skip) ? 0 : 1;
}

int Faults(const SimctlArgs& args)
{
    if (!args.empty()) return 2;
    std::wstring text;
    for (const std::wstring& line : FailedCalls()) text += line + L"\n";
    SimctlPrint(text);
    return 0;
}

int FaultReset(const SimctlArgs& args)
{
    if (!args.empty()) return 2;
    ClearFaults();
    return 0;
}

const SimctlCommand fail(L"fail",
                         L"CALL CODE|off [COUNT [SKIP]]  the stand-in call CALL lets SKIP calls pass, then fails "
                         L"COUNT (default -1: all) with CODE (an HRESULT or Win32 error, a number or E_FAIL...); "
                         L"calls: GetDefault SubscribeForMessage StopSubscribingForMessage PublishBinaryMessage "
                         L"StopPublishingMessage ProximityMessage.Data ProximityMessage.DataAsString "
                         L"ProximityMessage.MessageType EncodeToHexString DecodeFromHexString WlanOpenHandle "
                         L"WlanEnumInterfaces WlanQueryInterface.<opcode> WlanSetProfile WlanRegisterNotification "
                         L"WlanConnect WlanDisconnect GetTemplateContent CreateToastNotifierWithId "
                         L"CreateToastNotification ToastNotifier.Show ToastNotifier.Hide AppVisibility.CreateInstance "
                         L"AppVisibility.Advise AppVisibility.IsLauncherVisible "
                         L"ApplicationActivationManager.CreateInstance ActivateApplication",
                         Fail);
const SimctlCommand faults(L"faults", L"  the failures made so far: CALL, code, process id", Faults);
const SimctlCommand faultReset(L"fault-reset", L"  no call fails any more; the failure log emptied", FaultReset);

}  // namespace
}  // namespace tapdeck::sim
