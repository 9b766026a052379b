#include "res_string.h"

#include <mutex>
#include <tuple>
#include <utility>
#include <vector>

#include "compare_no_case.h"
#include "unique_handle.h"

namespace tapdeck {
namespace {

constexpr UINT kEntriesPerBlock = 16;
constexpr wchar_t kFallbackLanguage[] = L"en-US";

// The language-resource files that have been looked for, one per language
// name; a file that could not be loaded is remembered as null so that it is
// not searched for again with every text.
class SatelliteCache {
public:
    HMODULE Get(const std::wstring& language)
    {
        std::lock_guard lock(lock_);
        for (const auto& [name, module] : modules_) {
            if (EqualsNoCase(name, language))
                return module.get();
        }
        unique_hmodule module(Load(language));
        HMODULE result = module.get();
        modules_.emplace_back(language, std::move(module));
        return result;
    }

private:
    // "<folder of the program>\<language>\<program file name>.mui", as data
    // only: nothing of it runs.
    static HMODULE Load(const std::wstring& language)
    {
        std::wstring path(MAX_PATH, L'\0');
        for (;;) {
            const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (length == 0) return nullptr;
            if (length < path.size()) {
                path.resize(length);
                break;
            }
            if (path.size() >= 32768) return nullptr;
            path.resize(path.size() * 2);
        }
        const size_t slash = path.find_last_of(L'\\');
        if (slash == std::wstring::npos) return nullptr;
        const std::wstring fileName = path.substr(slash + 1);
        path.resize(slash + 1);
        path += language + L'\\' + fileName + L".mui";
        return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }

    std::mutex lock_;
    std::vector<std::pair<std::wstring, unique_hmodule>> modules_;  // guarded by lock_
};

SatelliteCache& Satellites()
{
    static SatelliteCache cache;
    return cache;
}

// The block as the resource loader hands it out, or an empty view.
std::pair<const void*, DWORD> LoadBlock(HMODULE module, UINT id, LANGID language)
{
    const auto blockName = MAKEINTRESOURCEW(id / kEntriesPerBlock + 1);
    HRSRC info = ::FindResourceExW(module, RT_STRING, blockName, language);
    if (!info) return {nullptr, 0};
    HGLOBAL data = ::LoadResource(module, info);
    if (!data) return {nullptr, 0};
    const void* block = ::LockResource(data);
    return {block, block ? ::SizeofResource(module, info) : 0};
}

// The user's UI languages in order of preference, then the ultimate fallback.
std::vector<std::wstring> PreferredLanguages()
{
    std::vector<std::wstring> languages;
    ULONG count = 0;
    ULONG length = 0;
    const DWORD flags = MUI_LANGUAGE_NAME | MUI_MERGE_USER_FALLBACK;
    if (::GetThreadPreferredUILanguages(flags, &count, nullptr, &length) && length > 0) {
        std::wstring list(length, L'\0');
        if (::GetThreadPreferredUILanguages(flags, &count, list.data(), &length)) {
            for (size_t pos = 0; pos < list.size() && list[pos] != L'\0';) {
                const size_t end = list.find(L'\0', pos);
                languages.emplace_back(list.substr(pos, end - pos));
                pos = end + 1;
            }
        }
    }
    languages.emplace_back(kFallbackLanguage);
    return languages;
}

// Windows resolves a neutral lookup through the program's resource
// configuration; where the loader does not (older loaders, Wine), the
// language-resource files are read directly, in the same order.
std::wstring_view FindString(UINT id)
{
    const LANGID neutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    auto [block, bytes] = LoadBlock(::GetModuleHandleW(nullptr), id, neutral);
    if (block) return StringTableEntry(block, bytes, id);

    for (const std::wstring& language : PreferredLanguages()) {
        HMODULE satellite = Satellites().Get(language);
        if (!satellite) continue;
        const LANGID own = LANGIDFROMLCID(::LocaleNameToLCID(language.c_str(), 0));
        std::tie(block, bytes) = LoadBlock(satellite, id, own);
        if (!block) std::tie(block, bytes) = LoadBlock(satellite, id, neutral);
        // The first file that holds the block decides, as with the loader.
        if (block) return StringTableEntry(block, bytes, id);
    }
    return {};
}

}  // namespace

std::wstring_view StringTableEntry(const void* block, DWORD blockBytes, UINT id)
{
    const auto* cursor = static_cast<const WCHAR*>(block);
    const WCHAR* const end = cursor + blockBytes / sizeof(WCHAR);
    for (UINT skip = id % kEntriesPerBlock; skip > 0; --skip) {
        if (cursor >= end) return {};
        const WORD count = *cursor;
        if (count > end - cursor - 1) return {};
        cursor += 1 + count;
    }
    if (cursor >= end) return {};
    const WORD count = *cursor;
    if (count > end - cursor - 1) return {};
    return std::wstring_view(cursor + 1, count);
}

bool LoadResString(std::wstring& target, UINT id)
{
    if (id > 0xFFFF) return false;
    const std::wstring_view text = FindString(id);
    if (text.empty()) return false;
    target.assign(text);
    return true;
}

}  // namespace tapdeck
