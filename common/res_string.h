#pragma once
// Texts from the language-resource files.
#include <windows.h>
#include <string>
#include <string_view>

namespace tapdeck {

// Replaces target with the text of the string id; false, target unchanged,
// when the entry is absent or empty.
bool LoadResString(std::wstring& target, UINT id);

// The text of one entry of a string-table block (id % 16 is the position);
// empty when the entry is absent or the block ends before it.
std::wstring_view StringTableEntry(const void* block, DWORD blockBytes, UINT id);

}  // namespace tapdeck
