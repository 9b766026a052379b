#pragma once
#include <string>

namespace tapdeck {

// Fills an empty cache with the Program Files folder; true when the cache
// holds a path. A failed fetch is tried again on the next call.
bool GetProgramFilesPath(std::wstring& cached);

}  // namespace tapdeck
