#pragma once
// The files that TapdeckSetup.exe carries: appended to the program image by
// the build as a list of (relative path, bytes), followed by a trailer that
// says where the list starts.
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

namespace tapdeck::setup {

struct PayloadFile {
    std::wstring relativePath;  // "en-US\Tapdeck.exe.mui"
    std::vector<BYTE> bytes;
};

// The files appended to the given program; false when there are none or the
// list is damaged.
bool ReadPayload(const std::wstring& programPath, std::vector<PayloadFile>& files);

}  // namespace tapdeck::setup
