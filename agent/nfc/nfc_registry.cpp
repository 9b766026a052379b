#include "nfc_registry.h"

#include "unique_handle.h"

namespace tapdeck {

bool ReadRegistrationKeys(std::vector<std::wstring>& names)
{
    names.clear();
    unique_hkey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNfcdbKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;

    DWORD subkeys = 0;
    DWORD longest = 0;
    if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, &longest, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        subkeys == 0)
        return false;

    std::vector<wchar_t> name(static_cast<size_t>(longest) + 1);
    for (DWORD index = 0; index < subkeys; ++index) {
        DWORD length = longest + 1;
        if (::RegEnumKeyExW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        names.emplace_back(name.data(), length);
    }
    // A key that changed while it was listed is read again at the next change.
    if (names.size() != subkeys) names.clear();
    return !names.empty();
}

bool ReadRegistryString(HKEY key, const wchar_t* name, std::wstring& text)
{
    text.clear();
    DWORD bytes = 0;
    if (::RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS) return false;
    // Room for a terminator the stored data may lack, whatever its type.
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
    DWORD read = bytes;
    if (::RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &read) !=
        ERROR_SUCCESS)
        return false;
    text.assign(buffer.data());
    return true;
}

namespace {

// The subkey count and last write time of NFCDB: a subkey added or removed changes both.
struct KeyStamp {
    DWORD subkeys = 0;
    FILETIME written{};
    bool operator==(const KeyStamp& other) const noexcept
    {
        return subkeys == other.subkeys && written.dwLowDateTime == other.written.dwLowDateTime &&
               written.dwHighDateTime == other.written.dwHighDateTime;
    }
};

bool ReadStamp(KeyStamp& stamp)
{
    unique_hkey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNfcdbKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
    return ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &stamp.subkeys, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr, &stamp.written) == ERROR_SUCCESS;
}

bool ReadOnce(NFCRegistrationList& registrations)
{
    registrations.clear();
    std::vector<std::wstring> names;
    if (!ReadRegistrationKeys(names)) return false;

    NFCRegistrationList work;
    for (const auto& name : names) {
        const std::wstring path = std::wstring(kNfcdbKey) + L"\\" + name;
        unique_hkey key;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) continue;
        NFCRegistration registration;
        std::wstring version;
        if (ReadRegistryString(key.get(), L"ApplicationPath", registration.applicationPath) &&
            ReadRegistryString(key.get(), L"MessageType", registration.messageType) &&
            ReadRegistryString(key.get(), L"Version", version))
            work.push_back(std::move(registration));
    }
    if (work.size() == names.size()) registrations = std::move(work);
    return !registrations.empty();
}

constexpr int kReadAttempts = 3;

}  // namespace

bool ReadRegistrations(NFCRegistrationList& registrations)
{
    // A subkey added while the names are listed shifts the enumeration, so
    // one read could see a set of registrations that never existed at once
    // (a newer subkey in place of an older, incomplete one). Such a read is
    // repeated, and given up as incomplete when the key keeps changing.
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        KeyStamp before;
        KeyStamp after;
        if (!ReadStamp(before)) break;
        const bool read = ReadOnce(registrations);
        if (ReadStamp(after) && after == before) return read;
    }
    registrations.clear();
    return false;
}

}  // namespace tapdeck
