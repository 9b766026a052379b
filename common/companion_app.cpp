#include "companion_app.h"

#include <shellapi.h>
#include <shobjidl.h>
#include <string>

#include "com_ptr.h"
#include "proc_address.h"

namespace tapdeck {

bool IsPackageFamilyInstalled(const wchar_t* packageFamilyName)
{
    // Resolved at run time: a static import would stop the program from
    // starting where the app-model API is missing.
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const auto query =
        kernel ? GetProcAddressAs<sdk::GetPackagesByPackageFamilyFn>(kernel, sdk::GetPackagesByPackageFamilyName) : nullptr;
    return IsPackageFamilyInstalledWith(query, packageFamilyName);
}

bool IsPackageFamilyInstalledWith(sdk::GetPackagesByPackageFamilyFn query, const wchar_t* packageFamilyName)
{
    if (!packageFamilyName || !*packageFamilyName) return false;
    // A query that cannot be made counts as installed, like any other failed query.
    if (!query) return true;
    UINT32 count = 0;
    UINT32 bufferLength = 0;
    // With empty buffers, ERROR_SUCCESS means no package of the family is installed.
    return query(packageFamilyName, &count, nullptr, &bufferLength, nullptr) != ERROR_SUCCESS;
}

bool OpenStorePage(const wchar_t* packageFamilyName)
{
    if (!packageFamilyName || !*packageFamilyName) return false;
    const std::wstring uri = std::wstring(L"ms-windows-store:PDP?PFN=") + packageFamilyName;
    ::ShellExecuteW(nullptr, L"open", uri.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return true;
}

void ActivateCompanionApp(const wchar_t* appUserModelId)
{
    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(init) && init != RPC_E_CHANGED_MODE) return;
    try {
        com_ptr<IApplicationActivationManager> manager;
        const HRESULT hr = ::CoCreateInstance(CLSID_ApplicationActivationManager, nullptr, CLSCTX_LOCAL_SERVER,
                                              IID_IApplicationActivationManager, manager.put_void());
        if (SUCCEEDED(hr) && manager) {
            ::CoAllowSetForegroundWindow(manager.get(), nullptr);
            DWORD processId = 0;
            manager->ActivateApplication(appUserModelId, nullptr, AO_NONE, &processId);
        }
    } catch (...) {
        // The activation is best effort; COM is still uninitialised below.
    }
    // A thread that was already single-threaded keeps its own initialisation.
    if (SUCCEEDED(init)) ::CoUninitialize();
}

}  // namespace tapdeck
