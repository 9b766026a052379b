#include "high_contrast.h"

#include <windows.h>

namespace tapdeck {

bool IsHighContrastOn()
{
    HIGHCONTRASTW highContrast{};
    highContrast.cbSize = sizeof(highContrast);
    if (!::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(highContrast), &highContrast, 0)) return false;
    return (highContrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace tapdeck
