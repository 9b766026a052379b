#include "installation.h"

#include "auto_run_set.h"
#include "program_files.h"
#include "tpd_app.h"

namespace tapdeck {
namespace {

constexpr int kRegisterAttempts = 10;

}  // namespace

std::wstring AgentExecutablePath(std::wstring& programFilesPath)
{
    if (!GetProgramFilesPath(programFilesPath)) return {};
    return programFilesPath + L"\\Vexa\\Tapdeck\\Tapdeck.exe";
}

bool Install(CTPDApp& app)
{
    const std::wstring path = AgentExecutablePath(app.ProgramFilesPath());
    if (path.empty()) return false;
    bool registered = false;
    for (int attempt = 0; attempt < kRegisterAttempts && !registered; ++attempt)
        registered = CAutoRunSet().Register(path);
    return registered;
}

void UnregisterAutoRun() { CAutoRunSet().Unregister(); }

void HaltAllAndWait(CObserveApp& agentObserver)
{
    CObserveApp pairwellObserver(kPairwellIdentity);
    agentObserver.SetShutdownAll();
    pairwellObserver.SetShutdownAll();
    const ULONGLONG deadline = ::GetTickCount64() + kHaltWaitMs;
    const auto left = [deadline] {
        const ULONGLONG now = ::GetTickCount64();
        return now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    };
    agentObserver.WaitUntilNoneRuns(left());
    pairwellObserver.WaitUntilNoneRuns(left());
}

bool RunLogonTask()
{
    DWORD session = 0;
    if (!::ProcessIdToSessionId(::GetCurrentProcessId(), &session) || session == 0) return false;
    return CAutoRunSet().Run(session);
}

}  // namespace tapdeck
