#include "location_code.h"

#include "unique_handle.h"

namespace tapdeck::pairwell {
namespace {

constexpr wchar_t kSharedInfoKey[] = L"software\\Vexa Corporation\\Shared Info";
constexpr DWORD kLocationWithSubcode = 2031;
constexpr DWORD kSubcode = 2032;
constexpr DWORD kLocationForMessage = 5388;
constexpr LANGID kEnglishUnitedStates = 0x0409;

bool ReadDword(HKEY key, const wchar_t* name, DWORD& value)
{
    DWORD size = sizeof(value);
    return ::RegGetValueW(key, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS;
}

}  // namespace

DWORD ReadLocationCode()
{
    unique_hkey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSharedInfoKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return 0;
    DWORD location = 0;
    if (!ReadDword(key.get(), L"dwLocation", location)) return 0;
    DWORD subcode = 0;
    if (location == kLocationWithSubcode && ReadDword(key.get(), L"subdwLocation", subcode) && subcode == kSubcode)
        return kSubcode;
    return location;
}

UINT PowerOffMessageId(DWORD locationCode, LANGID userUiLanguage)
{
    return locationCode == kLocationForMessage && userUiLanguage == kEnglishUnitedStates ? kPowerOffMessageForLocation
                                                                                        : kPowerOffMessage;
}

}  // namespace tapdeck::pairwell
