// Pairwell.exe: touches of the camera become a Wi-Fi connection to it.
#include <windows.h>
#include <roapi.h>

#include "pairwell_app.h"

namespace {

// Constructed before the entry point, so "/HaltAll" already holds the
// shutdown events.
tapdeck::pairwell::CPairwell theApp;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    const HRESULT init = ::RoInitialize(RO_INIT_MULTITHREADED);
    if (SUCCEEDED(init) || init == RPC_E_CHANGED_MODE) {
        theApp.HandleCommandLine(instance, commandLine);
        theApp.ReleaseInstanceObjects();
    }
    if (SUCCEEDED(init)) ::RoUninitialize();
    return 0;
}
