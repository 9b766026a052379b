#pragma once
// Whether the user has turned high contrast on.
namespace tapdeck {

bool IsHighContrastOn();

}  // namespace tapdeck
