#include "desktop_shortcut.h"

#include <objbase.h>
#include <propkey.h>
#include <propsys.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include "com_ptr.h"
#include "installation.h"
#include "known_folder.h"
#include "task_scheduler_extra.h"
#include "tpd_app.h"

namespace tapdeck {
namespace {

// A PROPVARIANT cleared in one place.
class PropVariant {
public:
    PropVariant() { ::PropVariantInit(&value_); }
    ~PropVariant() { ::PropVariantClear(&value_); }
    PropVariant(const PropVariant&) = delete;
    PropVariant& operator=(const PropVariant&) = delete;
    PROPVARIANT* get() noexcept { return &value_; }
    const PROPVARIANT& ref() const noexcept { return value_; }

private:
    PROPVARIANT value_;
};

HRESULT SetAppUserModelId(IPropertyStore* store, const std::wstring& appUserModelId)
{
    PropVariant id;
    HRESULT hr = ::SHStrDupW(appUserModelId.c_str(), &id.get()->pwszVal);
    if (FAILED(hr)) return hr;
    id.get()->vt = VT_LPWSTR;
    return store->SetValue(PKEY_AppUserModel_ID, id.ref());
}

HRESULT SetDefaultStartPinOption(IPropertyStore* store)
{
    PropVariant current;
    HRESULT hr = store->GetValue(sdk::PKEY_AppUserModel_StartPinOption, current.get());
    if (FAILED(hr)) return hr;
    PropVariant option;
    option.get()->vt = VT_UI4;
    option.get()->ulVal = sdk::APPUSERMODEL_STARTPINOPTION_DEFAULT;
    return store->SetValue(sdk::PKEY_AppUserModel_StartPinOption, option.ref());
}

}  // namespace

bool GetShortcutPathIn(REFKNOWNFOLDERID folder, std::wstring& path, const wchar_t* name)
{
    path = KnownFolderPath(folder);
    if (!path.empty()) path += L"\\" + std::wstring(name) + L".lnk";
    return !path.empty();
}

bool GetDesktopShortcutPath(std::wstring& path) { return GetShortcutPathIn(FOLDERID_PublicDesktop, path); }

HRESULT CreateShortcut(const std::wstring& linkPath, const std::wstring& appUserModelId, const std::wstring& target,
                       const std::wstring& arguments, const std::wstring& workingFolder)
{
    com_ptr<IShellLinkW> link;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void());
    if (FAILED(hr)) return hr;
    hr = link->SetPath(target.c_str());
    if (FAILED(hr)) return hr;
    hr = link->SetArguments(arguments.c_str());
    if (FAILED(hr)) return hr;
    if (!workingFolder.empty()) {
        hr = link->SetWorkingDirectory(workingFolder.c_str());
        if (FAILED(hr)) return hr;
    }

    if (!appUserModelId.empty()) {
        com_ptr<IPropertyStore> store;
        hr = link.as(IID_IPropertyStore, store);
        if (FAILED(hr)) return hr;
        hr = SetAppUserModelId(store.get(), appUserModelId);
        if (FAILED(hr)) return hr;
        hr = SetDefaultStartPinOption(store.get());
        if (FAILED(hr)) return hr;
        hr = store->Commit();
        if (FAILED(hr)) return hr;
    }

    com_ptr<IPersistFile> file;
    hr = link.as(IID_IPersistFile, file);
    if (FAILED(hr)) return hr;
    return file->Save(linkPath.c_str(), TRUE);
}

bool CreateDesktopShortcut(CTPDApp& app)
{
    std::wstring linkPath;
    GetDesktopShortcutPath(linkPath);
    const std::wstring target = AgentExecutablePath(app.ProgramFilesPath());
    if (target.empty() || linkPath.empty() || kAppUserModelId[0] == L'\0') return false;
    return SUCCEEDED(CreateShortcut(linkPath, kAppUserModelId, target, L""));
}

void DeleteDesktopShortcut()
{
    std::wstring linkPath;
    if (!GetDesktopShortcutPath(linkPath)) return;
    if (::PathFileExistsW(linkPath.c_str())) ::DeleteFileW(linkPath.c_str());
}

}  // namespace tapdeck
