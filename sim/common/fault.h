#pragma once
// Failures that tests ask of the stand-ins, one call at a time:
// C:\tapdeck-sim\faults\<call>.txt holds "<code> <count> <skip>": the call
// lets <skip> calls pass, then fails the next <count> (-1: every one) with
// <code>, an HRESULT or a Win32 error as the call returns it. Every failure
// made is noted in faults.log as "<call>\t<code as 0x%08x>\t<pid>".
#include <windows.h>
#include <string>
#include <string_view>
#include <vector>

namespace tapdeck::sim {

inline constexpr wchar_t kFaultArea[] = L"faults";
inline constexpr wchar_t kFaultLog[] = L"faults.log";

// The code this call must fail with now, or 0 when it runs as usual.
long InjectedFault(std::wstring_view call);
// Arms (count 0: disarms) a failure of the call.
bool ArmFault(std::wstring_view call, long code, long count = -1, long skip = 0);
void DisarmFault(std::wstring_view call);
// Disarms every failure and empties the log.
void ClearFaults();
// The calls made to fail so far, one per failure.
std::vector<std::wstring> FailedCalls();

}  // namespace tapdeck::sim
