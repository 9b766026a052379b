// Tapdeck.exe: the resident NFC agent.
#include <windows.h>
#include <roapi.h>

#include "tpd_app.h"

namespace {

// Constructed before the entry point, so a one-shot run already holds the
// shutdown events.
tapdeck::CTPDApp theApp;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    const HRESULT init = ::RoInitialize(RO_INIT_MULTITHREADED);
    if (FAILED(init) && init != RPC_E_CHANGED_MODE) return 0;

    int exitCode = 0;
    if (theApp.StartAgent(instance, commandLine)) exitCode = theApp.RunMessageLoop();
    else exitCode = theApp.OneShotExitCode();
    theApp.Shutdown();

    if (SUCCEEDED(init)) ::RoUninitialize();
    // A main-dialog thread that is still closing would run into the
    // application object's destruction: end here, with every other thread.
    if (theApp.DialogOutlivedShutdown()) ::ExitProcess(static_cast<UINT>(exitCode));
    return exitCode;
}
