#pragma once
// Where the stand-ins keep what they record and what tests tell them:
// C:\tapdeck-sim\<stand-in>\ in the prefix, which Linux scripts reach as
// $WINEPREFIX/drive_c/tapdeck-sim/<stand-in>/.
#include <windows.h>
#include <string>
#include <string_view>

namespace tapdeck::sim {

// "C:\tapdeck-sim\<area>", created on first use.
std::wstring StateDir(std::wstring_view area);
// "C:\tapdeck-sim\<area>\<name>".
std::wstring StatePath(std::wstring_view area, std::wstring_view name);

// Appends one UTF-8 line (a trailing newline is added) to a record file,
// under a named mutex so that several processes can write one file.
bool AppendRecord(std::wstring_view area, std::wstring_view file, std::wstring_view line);
// While C:\tapdeck-sim\stamps.log exists, every record also leaves a line
// there, "<performance counter>\t<process id>\t<area>\t<record's first
// field>", the counter read as the record began: benchmarks time the calls
// behind the records with it. This adds one such line for a counter read
// earlier.
void AppendStamp(LONGLONG counter, std::wstring_view area, std::wstring_view what);
// The whole file as UTF-16 text (UTF-8 on disk); empty when missing.
std::wstring ReadStateFile(std::wstring_view area, std::wstring_view file);
// Replaces a file with UTF-8 text.
bool WriteStateFile(std::wstring_view area, std::wstring_view file, std::wstring_view text);
bool DeleteStateFile(std::wstring_view area, std::wstring_view file);

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

}  // namespace tapdeck::sim
