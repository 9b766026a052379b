#pragma once
// Reading the handler registrations under NFCDB, all or nothing.
#include <windows.h>
#include <string>
#include <vector>

#include "nfc_registration.h"
#include "product_names.h"

namespace tapdeck {

// The names of every subkey of NFCDB, or none when one cannot be read.
bool ReadRegistrationKeys(std::vector<std::wstring>& names);
// Every registration, or none when any subkey lacks a readable value.
bool ReadRegistrations(NFCRegistrationList& registrations);
// One value of an open key as text up to its first NUL, whatever its type.
bool ReadRegistryString(HKEY key, const wchar_t* name, std::wstring& text);

}  // namespace tapdeck
