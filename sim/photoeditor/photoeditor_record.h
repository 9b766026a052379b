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
// Records that this process, started as program, is about to end.
void RecordLaunchEnd(const std::wstring& program);
// The starts in the order the processes were created, which is the order
// they were asked for even when they ran at the same time.
std::vector<Launch> ReadLaunches();
void ClearLaunches();

// When one recorded start was created and when it ended, as system time in
// 100 ns units; ended is 0 while it runs.
struct LaunchSpan {
    std::wstring program;
    unsigned long long created = 0;
    unsigned long long ended = 0;
};
// The starts with their spans, in creation order.
std::vector<LaunchSpan> ReadLaunchSpans();

// While a semaphore of this name exists, a recorder copied as fileName takes
// one count of it before it ends (waiting at most a minute): a test holds
// such a start until it releases it.
std::wstring HoldName(const std::wstring& fileName);
void WaitWhileHeld(const std::wstring& fileName);

// The versions the recorder is built for.
const std::vector<std::wstring>& RecorderVersions();
// "C:\tapdeck-sim\bin\photoeditor\<version>\PhotoshopElementsEditor.exe".
std::wstring RecorderPath(const std::wstring& version);

// Replaces the editor's registration with exactly these versions (none:
// the editor is not installed). root: the key holding "Software\...".
bool RegisterEditor(const std::vector<std::wstring>& versions, HKEY root = HKEY_LOCAL_MACHINE);
bool UnregisterEditor(HKEY root = HKEY_LOCAL_MACHINE);

}  // namespace tapdeck::sim
