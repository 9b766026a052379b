#pragma once
// The Pairwell process: command line, single instance, shutdown requests.
#include <windows.h>
#include <string>

#include "connection_run.h"
#include "observe_app.h"
#include "unique_handle.h"

namespace tapdeck::pairwell {

// Held by the process that runs the connection flow, in its logon session.
inline constexpr wchar_t kInstanceMutexName[] = L"Pairwell[Guid({F56DB619-AF30-4E19-9F5A-D3E0240E13F8})]";

class CPairwell final : public CObserveApp::IObserveEvent {
public:
    explicit CPairwell(PackageQuery isInstalled = nullptr);
    ~CPairwell();
    CPairwell(const CPairwell&) = delete;
    CPairwell& operator=(const CPairwell&) = delete;

    // "/Disconnect" (at the first character, case-sensitive) with a profile
    // name from the 14th character on; "/HaltAll" (the whole text, any
    // case); anything else is a camera payload.
    void HandleCommandLine(HINSTANCE instance, const wchar_t* commandLine);
    void ReleaseInstanceObjects();

    void OnShutdownAll() override;
    void OnShutdownUser() override;
    // Observer thread: closes the open dialog, or ends the connect loop.
    void CloseDialogOrCancel();

    ConnectionRun& Run() noexcept { return run_; }

private:
    void RunPayload(HINSTANCE instance, const wchar_t* commandLine);

    CObserveApp observer_;
    ConnectionRun run_;
    unique_mutex instanceMutex_;
};

}  // namespace tapdeck::pairwell
