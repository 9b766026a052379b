#include "known_folder.h"

#include "unique_handle.h"

namespace tapdeck {
namespace {

// The shell's answer, allocated for the caller; every known folder is fetched here.
void close_cotaskmem(PWSTR value) noexcept { ::CoTaskMemFree(value); }
using unique_cotaskmem_string = unique_any<handle_traits<PWSTR, close_cotaskmem>>;

}  // namespace

std::wstring KnownFolderPath(REFKNOWNFOLDERID id, DWORD flags, KnownFolderFn fetch)
{
    unique_cotaskmem_string folder;
    if (!fetch || FAILED(fetch(id, flags, nullptr, folder.put())) || !folder) return {};
    return folder.get();
}

bool CacheKnownFolder(REFKNOWNFOLDERID id, std::wstring& cached, KnownFolderFn fetch)
{
    if (cached.empty()) cached = KnownFolderPath(id, 0, fetch);
    return !cached.empty();
}

std::wstring InstalledPath(const std::wstring& programFiles, std::wstring_view file)
{
    if (programFiles.empty()) return {};
    return programFiles + L"\\Vexa\\Tapdeck\\" + std::wstring(file);
}

std::wstring InstalledPath(std::wstring_view file)
{
    return InstalledPath(KnownFolderPath(FOLDERID_ProgramFiles), file);
}

}  // namespace tapdeck
