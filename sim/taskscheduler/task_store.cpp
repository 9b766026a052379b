#include "task_store.h"

#include <oleauto.h>
#include <sddl.h>
#include <cstdio>

#include "sim_state.h"
#include "unique_handle.h"

namespace tapdeck::sim {
namespace {

constexpr wchar_t kTreeKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Schedule\\TaskCache\\Tree";
// What a folder created without a descriptor answers: administrators and the
// system own it, signed-in users may read it.
constexpr wchar_t kDefaultSddl[] = L"D:(A;;FA;;;BA)(A;;FA;;;SY)(A;;FR;;;AU)";

std::wstring TasksRoot()
{
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system) + L"\\Tasks";
}

std::wstring TreeKey(const std::wstring& path) { return path == L"\\" ? kTreeKey : kTreeKey + path; }

std::vector<std::wstring> Components(const std::wstring& path)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

HRESULT LastError() { return HRESULT_FROM_WIN32(::GetLastError()); }

}  // namespace

std::wstring JoinTaskPath(const std::wstring& folder, const std::wstring& relative)
{
    const std::wstring joined = (!relative.empty() && relative[0] == L'\\') ? relative : folder + L"\\" + relative;
    std::wstring out;
    for (const auto& part : Components(joined)) out += L"\\" + part;
    return out.empty() ? L"\\" : out;
}

std::wstring LeafName(const std::wstring& path)
{
    const auto parts = Components(path);
    return parts.empty() ? L"\\" : parts.back();
}

std::wstring FolderDirectory(const std::wstring& folderPath)
{
    return folderPath == L"\\" ? TasksRoot() : TasksRoot() + folderPath;
}

bool FolderExists(const std::wstring& folderPath)
{
    const DWORD attributes = ::GetFileAttributesW(FolderDirectory(folderPath).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HRESULT CreateFolderPath(const std::wstring& folderPath, const VARIANT& sddl)
{
    if (FolderExists(folderPath)) return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
    std::wstring descriptor;
    if (sddl.vt == VT_BSTR && sddl.bstrVal) descriptor = sddl.bstrVal;
    else if (sddl.vt != VT_EMPTY && sddl.vt != VT_NULL) return E_INVALIDARG;
    if (!descriptor.empty()) {
        unique_hlocal check;
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                descriptor.c_str(), SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(check.put()), nullptr))
            return HRESULT_FROM_WIN32(ERROR_INVALID_SECURITY_DESCR);
    }
    ::CreateDirectoryW(TasksRoot().c_str(), nullptr);
    std::wstring path;
    for (const auto& part : Components(folderPath)) {
        path += L"\\" + part;
        if (!::CreateDirectoryW(FolderDirectory(path).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return LastError();
        unique_hkey key;
        ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, TreeKey(path).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(),
                          nullptr);
    }
    return descriptor.empty() ? S_OK : SetFolderSecurity(folderPath, descriptor);
}

HRESULT DeleteFolderPath(const std::wstring& folderPath)
{
    if (!FolderExists(folderPath)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (!::RemoveDirectoryW(FolderDirectory(folderPath).c_str())) return LastError();
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, TreeKey(folderPath).c_str());
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, TreeKey(folderPath).c_str());
    return S_OK;
}

HRESULT FolderSecurity(const std::wstring& folderPath, SECURITY_INFORMATION info, std::wstring& sddl)
{
    if (!FolderExists(folderPath)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    std::vector<BYTE> binary(4096);
    DWORD size = static_cast<DWORD>(binary.size());
    const LSTATUS status = ::RegGetValueW(HKEY_LOCAL_MACHINE, TreeKey(folderPath).c_str(), L"SD", RRF_RT_REG_BINARY,
                                          nullptr, binary.data(), &size);
    if (status != ERROR_SUCCESS) {
        sddl = kDefaultSddl;
        return S_OK;
    }
    unique_hlocal text;
    if (!::ConvertSecurityDescriptorToStringSecurityDescriptorW(binary.data(), SDDL_REVISION_1, info,
                                                                reinterpret_cast<LPWSTR*>(text.put()), nullptr))
        return LastError();
    sddl = static_cast<const wchar_t*>(text.get());
    return S_OK;
}

HRESULT SetFolderSecurity(const std::wstring& folderPath, const std::wstring& sddl)
{
    unique_hlocal binary;
    ULONG size = 0;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            sddl.c_str(), SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(binary.put()), &size))
        return HRESULT_FROM_WIN32(ERROR_INVALID_SECURITY_DESCR);
    const LSTATUS status = ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, TreeKey(folderPath).c_str(), L"SD", REG_BINARY,
                                             binary.get(), size);
    return HRESULT_FROM_WIN32(status);
}

std::vector<std::wstring> TaskNames(const std::wstring& folderPath)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    unique_find find(::FindFirstFileW((FolderDirectory(folderPath) + L"\\*").c_str(), &found));
    if (!find) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (::FindNextFileW(find.get(), &found));
    return names;
}

bool TaskExists(const std::wstring& taskPath)
{
    const DWORD attributes = ::GetFileAttributesW(FolderDirectory(taskPath).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HRESULT WriteTaskFile(const std::wstring& taskPath, const std::wstring& xml)
{
    unique_file file(::CreateFileW(FolderDirectory(taskPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();
    // UTF-16 little-endian with its byte order mark, as the scheduler writes.
    std::wstring content = L"\xFEFF" + xml;
    DWORD written = 0;
    const DWORD bytes = static_cast<DWORD>(content.size() * sizeof(wchar_t));
    if (!::WriteFile(file.get(), content.data(), bytes, &written, nullptr) || written != bytes) return LastError();
    return S_OK;
}

HRESULT ReadTaskFile(const std::wstring& taskPath, std::wstring& xml)
{
    unique_file file(::CreateFileW(FolderDirectory(taskPath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    if (!file) return LastError();
    const DWORD size = ::GetFileSize(file.get(), nullptr);
    std::wstring content(size / sizeof(wchar_t), L'\0');
    DWORD read = 0;
    if (!::ReadFile(file.get(), content.data(), size, &read, nullptr)) return LastError();
    if (!content.empty() && content[0] == L'\xFEFF') content.erase(0, 1);
    xml = content;
    return S_OK;
}

HRESULT DeleteTaskFile(const std::wstring& taskPath)
{
    if (!TaskExists(taskPath)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (!::DeleteFileW(FolderDirectory(taskPath).c_str())) return LastError();
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, TreeKey(taskPath).c_str());
    return S_OK;
}

std::wstring Describe(const VARIANT& value)
{
    switch (value.vt) {
    case VT_EMPTY: return L"(empty)";
    case VT_NULL: return L"(null)";
    case VT_BSTR: return L"\"" + std::wstring(value.bstrVal ? value.bstrVal : L"") + L"\"";
    case VT_I4: return std::to_wstring(value.lVal);
    default: return L"(vt " + std::to_wstring(value.vt) + L")";
    }
}

void LogCall(const std::wstring& line, HRESULT result)
{
    wchar_t code[16];
    std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(result));
    AppendRecord(kSchedulerArea, kSchedulerLog, line + L" -> " + code);
}

bool TakeRegisterFailure()
{
    const std::wstring text = ReadStateFile(kSchedulerArea, kFailRegisterFile);
    const long left = text.empty() ? 0 : std::wcstol(text.c_str(), nullptr, 10);
    if (left <= 0) return false;
    WriteStateFile(kSchedulerArea, kFailRegisterFile, std::to_wstring(left - 1));
    return true;
}

}  // namespace tapdeck::sim
