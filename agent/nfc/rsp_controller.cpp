#include "rsp_controller.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <vector>

#include "nfc_manager.h"

namespace tapdeck {
namespace {

std::wstring ExpandPath(const std::wstring& path)
{
    const DWORD size = ::ExpandEnvironmentStringsW(path.c_str(), nullptr, 0);
    if (size == 0) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(size) + 1, L'\0');
    if (::ExpandEnvironmentStringsW(path.c_str(), buffer.data(), size) == 0) return {};
    return std::wstring(buffer.data());
}

}  // namespace

void CRspController::Respond(const std::wstring& messageType, const std::wstring& data)
{
    const std::wstring type = messageType;
    const std::wstring text = data;
    if (type.empty() || text.empty()) return;

    std::wstring registeredPath;
    if (!manager_.FindApplicationPath(type, registeredPath)) return;
    const std::wstring path = ExpandPath(registeredPath);
    if (path.empty() || !::PathFileExistsW(path.c_str())) return;

    ::ShellExecuteW(nullptr, L"open", path.c_str(), text.c_str(), nullptr, SW_SHOWNORMAL);
}

}  // namespace tapdeck
