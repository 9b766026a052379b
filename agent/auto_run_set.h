#pragma once
// The autostart task: "NFC Logon Start" in the task folder
// "\Vexa Corporation\Tapdeck", which starts the agent at every logon.
#include <windows.h>
#include <string>

namespace tapdeck {

class CAutoRunSet {
public:
    CAutoRunSet() = default;
    CAutoRunSet(const CAutoRunSet&) = delete;
    CAutoRunSet& operator=(const CAutoRunSet&) = delete;
    virtual ~CAutoRunSet() = default;

    // Creates or replaces the task that starts the executable with "/AutoStart".
    bool Register(const std::wstring& executablePath);
    // Removes the task, and its folder when nothing else is left in it.
    bool Unregister();
    // Starts the task now in the given logon session, as the user logged on
    // there; true when the scheduler took the request.
    bool Run(DWORD sessionId);
};

}  // namespace tapdeck
