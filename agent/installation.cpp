#include "installation.h"

#include "auto_run_set.h"
#include "installation_folder.h"
#include "known_folder.h"
#include "start_menu_shortcut.h"
#include "tpd_app.h"

namespace tapdeck {
namespace {

constexpr int kRegisterAttempts = 10;

}  // namespace

std::wstring AgentExecutablePath(std::wstring& programFilesPath)
{
    CacheKnownFolder(FOLDERID_ProgramFiles, programFilesPath);
    return InstalledPath(programFilesPath, L"Tapdeck.exe");
}

bool Install(CTPDApp& app)
{
    const std::wstring path = AgentExecutablePath(app.ProgramFilesPath());
    if (path.empty()) return false;
    bool registered = false;
    for (int attempt = 0; attempt < kRegisterAttempts && !registered; ++attempt)
        registered = CAutoRunSet().Register(path);
    // Without its task the product is not installed: no shortcut either.
    return registered && CreateStartMenuShortcut(app);
}

void Uninstall()
{
    CAutoRunSet().Unregister();
    DeleteDesktopShortcut();
    DeleteStartMenuShortcut();
}

bool HaltAllAndWait(CObserveApp& agentObserver, std::wstring& programFilesPath)
{
    CObserveApp pairwellObserver(kPairwellIdentity);
    agentObserver.SetShutdownAll();
    pairwellObserver.SetShutdownAll();
    const ULONGLONG deadline = ::GetTickCount64() + kHaltWaitMs;
    const auto left = [deadline] {
        const ULONGLONG now = ::GetTickCount64();
        return now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    };
    // The mutex's first owner is only one of them: the programs of the
    // folder, found by their image paths in every session, are what must end
    // before the files go (an agent still unloads Dropwatch after it let go).
    bool ended = agentObserver.WaitUntilNoneRuns(left());
    ended = pairwellObserver.WaitUntilNoneRuns(left()) && ended;
    const std::wstring agent = AgentExecutablePath(programFilesPath);
    if (agent.empty()) return false;
    return WaitUntilFolderIdle(agent.substr(0, agent.rfind(L'\\')), left()) && ended;
}

bool RunLogonTask()
{
    DWORD session = 0;
    if (!::ProcessIdToSessionId(::GetCurrentProcessId(), &session) || session == 0) return false;
    return CAutoRunSet().Run(session);
}

}  // namespace tapdeck
