#include "photoshop_elements.h"

#include <shellapi.h>

#include "unique_handle.h"

namespace tapdeck {
namespace {

constexpr wchar_t kProductKey[] = L"Software\\Wow6432Node\\Adobe\\Photoshop Elements";

unique_hkey OpenKey(HKEY root, const std::wstring& path)
{
    unique_hkey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) key.release();
    return key;
}

// Empty when the enumeration fails (a subkey name is never empty).
std::wstring SubkeyName(HKEY key, DWORD index, DWORD longest)
{
    std::wstring name(longest + 1, L'\0');
    DWORD length = longest + 1;
    if (::RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    name.resize(length);
    return name;
}

}  // namespace

bool PhotoshopElements::IsPhotoshopInstalled() const { return static_cast<bool>(OpenKey(root_, kProductKey)); }

bool PhotoshopElements::GetPhotoshopVersion(std::wstring& version) const
{
    unique_hkey key = OpenKey(root_, kProductKey);
    if (!key) return false;
    DWORD count = 0;
    DWORD longest = 0;
    std::wstring best;
    if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        if (count == 1) {
            best = SubkeyName(key.get(), 0, longest);
        } else if (count > 1) {
            std::vector<std::wstring> names;
            for (DWORD index = 0; index < count; ++index) {
                std::wstring name = SubkeyName(key.get(), index, longest);
                if (!name.empty()) names.push_back(std::move(name));
            }
            if (!names.empty()) {
                best = names.front();
                for (const std::wstring& name : names)
                    if (!(CompareVersions(best, name) > 0)) best = name;
            }
        }
    }
    version = best;
    return true;
}

bool PhotoshopElements::LaunchPhotoshop(const std::wstring& parameters)
{
    if (!IsPhotoshopInstalled()) return false;
    std::wstring version;
    if (!GetPhotoshopVersion(version)) return false;
    unique_hkey key = OpenKey(root_, std::wstring(kProductKey) + L"\\" + version + L"\\ApplicationPath");
    if (!key) return false;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), nullptr, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return false;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD read = size;
    if (::RegQueryValueExW(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &read) !=
        ERROR_SUCCESS)
        return false;
    const std::wstring editor = std::wstring(buffer.data()) + L"PhotoshopElementsEditor.exe";
    ::ShellExecuteW(nullptr, L"open", editor.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
    return true;
}

std::vector<int> PhotoshopElements::VersionComponents(const std::wstring& name)
{
    std::vector<int> components;
    if (name.find(L'.') == std::wstring::npos) return components;
    size_t begin = 0;
    for (;;) {
        const size_t dot = name.find(L'.', begin);
        components.push_back(_wtoi(name.substr(begin, dot - begin).c_str()));
        if (dot == std::wstring::npos) break;
        begin = dot + 1;
    }
    return components;
}

int PhotoshopElements::CompareVersions(const std::wstring& left, const std::wstring& right)
{
    const std::vector<int> a = VersionComponents(left);
    const std::vector<int> b = VersionComponents(right);
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace tapdeck
