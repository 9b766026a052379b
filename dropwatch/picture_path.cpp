#include "picture_path.h"

#include <windows.h>

#include <cwchar>
#include <iterator>

namespace tapdeck {
namespace {

// The longest path the file system takes, with its terminating null, and
// the "\\?\" that lets a check name it whole.
constexpr size_t kLongestPath = 32767;
constexpr wchar_t kWholePath[] = L"\\\\?\\";

// "X:\..." and nothing a file name cannot hold: no quote that would start a
// second argument, no wildcard, no stream, and no forward slash, which
// Windows reads as a backslash ("//server/share" is a network path too).
bool HasLocalForm(const std::wstring& path)
{
    if (path.size() < 4 || path.size() + std::size(kWholePath) > kLongestPath) return false;
    const wchar_t drive = path[0];
    if (!((drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z')) || path[1] != L':' ||
        path[2] != L'\\')
        return false;
    for (size_t i = 2; i < path.size(); ++i)
        if (path[i] < 0x20 || std::wcschr(L"\"<>|?*/:", path[i])) return false;
    return path.back() != L'\\';
}

// A drive of this machine: a mapped network drive would hand the user's
// credentials to its server like a network path.
bool IsLocalDrive(wchar_t letter)
{
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    switch (::GetDriveTypeW(root)) {
    case DRIVE_FIXED:
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM:
    case DRIVE_RAMDISK: return true;
    default: return false;
    }
}

// One step of the path as the folder above lists it; false when missing.
bool FindEntry(const std::wstring& path, WIN32_FIND_DATAW& found)
{
    const HANDLE find = ::FindFirstFileW((kWholePath + path).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    ::FindClose(find);
    return true;
}

// A junction or symbolic link leads elsewhere, a network share among the
// places; other reparse points (a cloud file's placeholder) are the file.
bool LeadsElsewhere(const WIN32_FIND_DATAW& found)
{
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(found.dwReserved0);
}

}  // namespace

bool PictureArgument(const std::wstring& value, std::wstring& argument)
{
    argument.clear();
    std::wstring path = value;
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
    if (!HasLocalForm(path)) return false;
    // "." and ".." resolved by the text alone, so that the check and the
    // editor see the same file.
    std::wstring full(kLongestPath, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size()) return false;
    full.resize(length);
    if (!HasLocalForm(full) || !IsLocalDrive(full[0])) return false;

    WIN32_FIND_DATAW found{};
    for (size_t slash = full.find(L'\\', 3); slash != std::wstring::npos; slash = full.find(L'\\', slash + 1))
        if (!FindEntry(full.substr(0, slash), found) || !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            LeadsElsewhere(found))
            return false;
    if (!FindEntry(full, found) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || LeadsElsewhere(found))
        return false;
    argument = L"\"" + full + L"\"";
    return true;
}

}  // namespace tapdeck
