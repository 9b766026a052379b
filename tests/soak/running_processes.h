#pragma once
// The processes of this prefix, found by their program's file name.
#include <windows.h>

#include <string>
#include <vector>

#include "unique_handle.h"

namespace tapdeck::soak {

// The product's programs and every program the stand-ins start for it.
const std::vector<std::wstring>& SoakPrograms();

// "Pairwell.exe (pid 212)" for each running process of these programs.
std::vector<std::wstring> RunningOf(const std::vector<std::wstring>& programs);

// A running process of the program, opened to wait for it; null when none.
unique_handle OpenRunning(const std::wstring& program);

}  // namespace tapdeck::soak
