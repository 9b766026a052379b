#pragma once
// What a worker thread gets when it starts: the record, its own copy of the
// companion's family name, its own events, and a reference on the module
// holding its code, which it gives back as it exits.
#include <windows.h>
#include <string>

namespace tapdeck {

class MonitorState;

struct WorkerStart {
    MonitorState* state = nullptr;
    HMODULE module = nullptr;
    std::wstring packageFamilyName;
    HANDLE stop = nullptr;
    HANDLE io = nullptr;
};

// The thread routines; each ends with FreeLibraryAndExitThread on its module.
DWORD WINAPI PackageWaiterThread(void* param);
DWORD WINAPI LocalStateWatcherThread(void* param);

}  // namespace tapdeck
