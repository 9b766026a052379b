#pragma once
// The machine's location values under "Shared Info", set for one test and
// removed after it.
#include <windows.h>
#include <cwchar>
#include <optional>

#include "unique_handle.h"

namespace tapdeck::test {

inline constexpr wchar_t kSharedInfoKey[] = L"software\\Vexa Corporation\\Shared Info";

// A registry value as a test sets it: a DWORD, a string, or absent.
struct Value {
    std::optional<DWORD> number;
    const wchar_t* text = nullptr;
};

inline void Put(HKEY key, const wchar_t* name, const Value& value)
{
    if (value.number) {
        const DWORD number = *value.number;
        ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
    } else if (value.text) {
        ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text),
                         static_cast<DWORD>((::wcslen(value.text) + 1) * sizeof(wchar_t)));
    } else {
        ::RegDeleteValueW(key, name);
    }
}

class SharedInfo {
public:
    SharedInfo(const Value& location, const Value& subLocation)
    {
        ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSharedInfoKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.put(), nullptr);
        Put(key_.get(), L"dwLocation", location);
        Put(key_.get(), L"subdwLocation", subLocation);
    }
    ~SharedInfo()
    {
        ::RegDeleteValueW(key_.get(), L"dwLocation");
        ::RegDeleteValueW(key_.get(), L"subdwLocation");
    }

private:
    unique_hkey key_;
};

}  // namespace tapdeck::test
