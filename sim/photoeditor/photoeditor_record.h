#pragma once
// The photo editor stand-in's registration and record, shared by the
// recorder, simctl and tests. Each installed version has its own copy of
// the recorder in C:\tapdeck-sim\bin\photoeditor\<version>\.
#include <windows.h>

#include <string>
#include <vector>

namespace tapdeck::sim {

// One start of a recorder: "<folder>\<file name>" and its parameters.
struct Launch {
    std::wstring program;
    std::wstring parameters;
    bool operator==(const Launch&) const = default;
};

// Records this process's start, stamped with its creation time.
void RecordLaunch(const std::wstring& program, const std::wstring& parameters);
// The starts in the order the processes were created, which is the order
// they were asked for even when they ran at the same time.
std::vector<Launch> ReadLaunches();
void ClearLaunches();

// The versions the recorder is built for.
const std::vector<std::wstring>& RecorderVersions();
// "C:\tapdeck-sim\bin\photoeditor\<version>\PhotoshopElementsEditor.exe".
std::wstring RecorderPath(const std::wstring& version);

// Replaces the editor's registration with exactly these versions (none:
// the editor is not installed). root: the key holding "Software\...".
bool RegisterEditor(const std::vector<std::wstring>& versions, HKEY root = HKEY_LOCAL_MACHINE);
bool UnregisterEditor(HKEY root = HKEY_LOCAL_MACHINE);

}  // namespace tapdeck::sim
