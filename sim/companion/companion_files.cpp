#include "companion_files.h"

#include <windows.h>
#include <shlobj.h>

#include "companion_profile.h"
#include "known_folder.h"
#include "unique_handle.h"
#include "utf8.h"
#include "xml_escape.h"

namespace tapdeck::sim {
namespace {

std::wstring LocalAppData()
{
    return KnownFolderPath(FOLDERID_LocalAppData);
}

std::string Escape(const std::wstring& text) { return ToUtf8(EscapeXml(text)); }

constexpr char kBom[] = "\xEF\xBB\xBF";

}  // namespace

bool RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(find, &found));
        ::FindClose(find);
    }
    if (::RemoveDirectoryW(folder.c_str())) return true;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::wstring InstalledCompanionFamily()
{
    CompanionProfileReader reader;
    if (!reader.ReadProfile(InstalledProfilePath()) || reader.Entries().empty()) return {};
    return reader.Entries().front().packageFamilyName;
}

std::wstring CompanionPackageFolder(const std::wstring& family)
{
    return LocalAppData() + L"\\Packages\\" + family;
}

std::wstring CompanionLocalState(const std::wstring& family) { return CompanionPackageFolder(family) + L"\\LocalState"; }

bool SetCompanionFolders(const std::wstring& family, CompanionFolders state)
{
    if (family.empty()) return false;
    const std::wstring packages = LocalAppData() + L"\\Packages";
    const std::wstring package = CompanionPackageFolder(family);
    switch (state) {
    case CompanionFolders::Absent:
        RemoveTree(package);
        return ::GetFileAttributesW(package.c_str()) == INVALID_FILE_ATTRIBUTES;
    case CompanionFolders::PackageOnly:
        RemoveTree(CompanionLocalState(family));
        ::CreateDirectoryW(packages.c_str(), nullptr);
        ::CreateDirectoryW(package.c_str(), nullptr);
        return ::GetFileAttributesW(package.c_str()) != INVALID_FILE_ATTRIBUTES;
    case CompanionFolders::LocalState:
        ::CreateDirectoryW(packages.c_str(), nullptr);
        ::CreateDirectoryW(package.c_str(), nullptr);
        ::CreateDirectoryW(CompanionLocalState(family).c_str(), nullptr);
        return ::GetFileAttributesW(CompanionLocalState(family).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    return false;
}

std::string AppInfoXml(const std::wstring& sessionId)
{
    return std::string(kBom) + "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<AppInfo>\r\n  <SessionID>" +
           Escape(sessionId) + "</SessionID>\r\n</AppInfo>";
}

std::string CommandInfoXml(const std::vector<CompanionCommand>& commands)
{
    std::string xml = std::string(kBom) + "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<CommandInfo>\r\n";
    for (const CompanionCommand& command : commands) {
        xml += "  <Command name=\"" + Escape(command.name) + "\">\r\n    <ArgumentList>\r\n";
        for (size_t i = 0; i < command.values.size(); ++i)
            xml += "      <Argument name=\"Arg" + std::to_string(i) + "\" value=\"" + Escape(command.values[i]) +
                   "\" />\r\n";
        xml += "    </ArgumentList>\r\n  </Command>\r\n";
    }
    return xml + "</CommandInfo>";
}

bool WriteCompanionFile(const std::wstring& family, const std::wstring& name, const std::string& bytes, bool partial)
{
    const std::wstring path = CompanionLocalState(family) + L"\\" + name;
    unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const size_t first = partial ? bytes.size() / 2 : bytes.size();
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(first), &written, nullptr)) return false;
    if (partial) {
        ::FlushFileBuffers(file.get());
        ::Sleep(200);
        if (!::WriteFile(file.get(), bytes.data() + first, static_cast<DWORD>(bytes.size() - first), &written,
                         nullptr))
            return false;
    }
    return true;
}

bool WriteCompanionFileHeld(const std::wstring& family, const std::wstring& name, const std::string& bytes,
                            unsigned long holdMs)
{
    const std::wstring path = CompanionLocalState(family) + L"\\" + name;
    unique_file file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return false;
    ::Sleep(holdMs);
    return true;
}

bool ReadCompanionFile(const std::wstring& family, const std::wstring& name, std::string& bytes)
{
    bytes.clear();
    const std::wstring path = CompanionLocalState(family) + L"\\" + name;
    unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char chunk[4096];
    DWORD read = 0;
    while (::ReadFile(file.get(), chunk, sizeof(chunk), &read, nullptr) && read > 0) bytes.append(chunk, read);
    return true;
}

bool DeleteCompanionFile(const std::wstring& family, const std::wstring& name)
{
    const std::wstring path = CompanionLocalState(family) + L"\\" + name;
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only file goes too
    return ::DeleteFileW(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

}  // namespace tapdeck::sim
