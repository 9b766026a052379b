#pragma once
// Handler registrations under NFCDB, written as installers write them: what
// the NFC tests, the soak and the benchmarks arrange for the agent to read.
#include <windows.h>

#include <string>

#include "product_names.h"
#include "unique_handle.h"

namespace tapdeck::test {

inline void ClearRegistrations() { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kNfcdbKey); }

inline void CreateNfcdb()
{
    unique_hkey key;
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kNfcdbKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
}

inline bool SetString(HKEY key, const wchar_t* name, const std::wstring& value)
{
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// Writes a registration as an installer does: the subkey, then its values.
inline void Register(const std::wstring& subkey, const std::wstring& type, const std::wstring& path,
                     bool withVersion = true)
{
    unique_hkey key;
    const std::wstring name = std::wstring(kNfcdbKey) + L"\\" + subkey;
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    SetString(key.get(), L"ApplicationPath", path);
    SetString(key.get(), L"MessageType", type);
    if (withVersion) SetString(key.get(), L"Version", L"1.0");
}

inline void Unregister(const std::wstring& subkey)
{
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kNfcdbKey) + L"\\" + subkey).c_str());
}

}  // namespace tapdeck::test
