#pragma once
// The companion app's files are small; one that is not is refused whole
// rather than copied into the agent's memory.
#include <windows.h>
#include <objidl.h>

#include <string>

#include "com_ptr.h"

namespace tapdeck {

constexpr size_t kMaxCompanionFileBytes = 1 << 20;

// The whole file from its start; false when it cannot be read or holds
// more than kMaxCompanionFileBytes.
bool ReadBounded(HANDLE file, std::string& bytes);
// A stream over bytes that outlive it.
com_ptr<IStream> MemoryStream(const std::string& bytes);

}  // namespace tapdeck
