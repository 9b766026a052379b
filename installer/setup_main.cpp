// TapdeckSetup.exe: installs the product (or, as the installed
// "Uninstall.exe /Uninstall", removes it). "/S" asks nothing and shows nothing.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <string>
#include <vector>

#include "installer.h"
#include "payload.h"
#include "setup_ids.h"
#include "setup_shared.h"
#include "uninstaller.h"

namespace {

using namespace tapdeck::setup;

enum ExitCode { kDone = 0, kFailed = 1, kCancelled = 2 };

std::wstring LoadText(HINSTANCE instance, UINT id)
{
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::wstring Format(const std::wstring& pattern, const std::wstring& value)
{
    std::wstring out = pattern;
    const size_t at = out.find(L"%1");
    if (at != std::wstring::npos) out.replace(at, 2, value);
    return out;
}

class Ui {
public:
    Ui(HINSTANCE instance, bool silent) : instance_(instance), silent_(silent) {}
    bool Confirm(const std::wstring& text) const
    {
        return silent_ || ::MessageBoxW(nullptr, text.c_str(), Title().c_str(), MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
    }
    void Tell(UINT id, UINT icon) const
    {
        if (!silent_) ::MessageBoxW(nullptr, LoadText(instance_, id).c_str(), Title().c_str(), MB_OK | icon);
    }
    std::wstring Text(UINT id) const { return LoadText(instance_, id); }

private:
    std::wstring Title() const { return LoadText(instance_, IDS_SETUP_TITLE); }
    HINSTANCE instance_;
    bool silent_;
};

int RunSetup(const Ui& ui)
{
    std::vector<PayloadFile> files;
    if (!ReadPayload(OwnPath(), files)) {
        ui.Tell(IDS_SETUP_DAMAGED, MB_ICONERROR);
        return kFailed;
    }
    if (!ui.Confirm(Format(ui.Text(IDS_SETUP_CONFIRM), kProductVersion))) return kCancelled;
    if (!CInstaller(std::move(files)).Install()) {
        ui.Tell(IDS_SETUP_FAILED, MB_ICONERROR);
        return kFailed;
    }
    ui.Tell(IDS_SETUP_DONE, MB_ICONINFORMATION);
    return kDone;
}

int RunUninstall(const Ui& ui)
{
    if (!ui.Confirm(ui.Text(IDS_UNINSTALL_CONFIRM))) return kCancelled;
    if (!CUninstaller().Uninstall()) {
        ui.Tell(IDS_UNINSTALL_FAILED, MB_ICONERROR);
        return kFailed;
    }
    ui.Tell(IDS_UNINSTALL_DONE, MB_ICONINFORMATION);
    return kDone;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    int count = 0;
    LPWSTR* raw = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::wstring> args(raw + (raw ? 1 : 0), raw + (raw ? count : 0));
    ::LocalFree(raw);

    if (args.size() == 4 && args[0] == L"/Finish") {
        CUninstaller::Finish(std::wcstoul(args[1].c_str(), nullptr, 10), args[3], args[2] == L"1");
        return kDone;
    }
    bool silent = false, uninstall = false;
    for (const auto& arg : args) {
        if (::lstrcmpiW(arg.c_str(), L"/S") == 0) silent = true;
        else if (::lstrcmpiW(arg.c_str(), L"/Uninstall") == 0) uninstall = true;
    }

    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const Ui ui(instance, silent);
    const int result = uninstall ? RunUninstall(ui) : RunSetup(ui);
    if (SUCCEEDED(com)) ::CoUninitialize();
    return result;
}
