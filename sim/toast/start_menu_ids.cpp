#include "start_menu_ids.h"

#include <windows.h>
#include <objbase.h>
#include <propkey.h>
#include <shlobj.h>

#include "compare_no_case.h"
#include "known_folder.h"
#include "link_file.h"
#include "unique_handle.h"

namespace tapdeck::sim {
namespace {

bool FolderCarries(const std::wstring& folder, const std::wstring& appUserModelId, int depth)
{
    WIN32_FIND_DATAW entry{};
    unique_find find(::FindFirstFileW((folder + L"\\*").c_str(), &entry));
    if (!find) return false;
    bool carried = false;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            carried = depth > 0 && FolderCarries(path, appUserModelId, depth - 1);
            continue;
        }
        if (name.size() < 4 || !EqualsNoCase(std::wstring_view(name).substr(name.size() - 4), L".lnk"))
            continue;
        LinkLayout link;
        if (!ParseLink(ReadWholeFile(path), link)) continue;
        for (const LinkProperty& property : link.properties)
            if (::IsEqualGUID(property.formatId, PKEY_AppUserModel_ID.fmtid) && property.id == PKEY_AppUserModel_ID.pid &&
                property.type == VT_LPWSTR && property.text == appUserModelId)
                carried = true;
    } while (!carried && ::FindNextFileW(find.get(), &entry));
    return carried;
}

bool KnownFolderCarries(REFKNOWNFOLDERID id, const std::wstring& appUserModelId)
{
    const std::wstring folder = KnownFolderPath(id);
    return !folder.empty() && FolderCarries(folder, appUserModelId, 4);
}

}  // namespace

bool StartMenuCarries(const std::wstring& appUserModelId)
{
    return KnownFolderCarries(FOLDERID_CommonPrograms, appUserModelId) ||
           KnownFolderCarries(FOLDERID_Programs, appUserModelId);
}

}  // namespace tapdeck::sim
