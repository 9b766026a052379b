#pragma once
// The PC's location code, written by the maker's setup under "Shared Info",
// and the Wi-Fi-off message it selects.
#include <windows.h>

namespace tapdeck::pairwell {

constexpr UINT kPowerOffMessage = 520;
constexpr UINT kPowerOffMessageForLocation = 535;

// dwLocation from HKLM "software\Vexa Corporation\Shared Info"; 2032 when it
// is 2031 and subdwLocation is 2032; 0 when the key or the value cannot be read.
DWORD ReadLocationCode();

// The Wi-Fi-off message id: 535 for location 5388 with a US English UI, else 520.
UINT PowerOffMessageId(DWORD locationCode, LANGID userUiLanguage);

}  // namespace tapdeck::pairwell
