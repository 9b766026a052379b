#pragma once
// Tells every running instance of a program to close, in this logon session
// or in all of them, and marks that an instance runs: named shutdown events
// and presence mutexes shared across processes, and an observer thread that
// turns a signalled event into one call of the program's sink.
#include <windows.h>
#include <memory>

#include "unique_handle.h"

namespace tapdeck {

// The identities of the two programs that carry an observer; the agent also
// names Pairwell's when an installer asks it to close everything.
inline constexpr wchar_t kPairwellIdentity[] = L"Pairwell[Guid({37EEC187-45D1-4505-9CE1-E4B618BCB506})]";

class CObserveApp {
public:
    struct IObserveEvent {
        virtual void OnShutdownAll() = 0;
        virtual void OnShutdownUser() = 0;

    protected:
        ~IObserveEvent() = default;
    };

    explicit CObserveApp(const wchar_t* identity);
    virtual ~CObserveApp();
    CObserveApp(const CObserveApp&) = delete;
    CObserveApp& operator=(const CObserveApp&) = delete;

    void SetSink(IObserveEvent* sink) noexcept { sink_ = sink; }
    void CreateUserMutex();
    void CreateAllMutex();
    void StartObserve();
    bool StopObserve();

    // Asks the observer thread to end without waiting for it.
    void SignalStop() noexcept;
    // Closes both presence mutexes while still owned; the system marks them
    // abandoned when this thread ends.
    void CloseMutexes() noexcept;
    // What another process does to close every instance (all sessions) or
    // the instances of its own session.
    bool SetShutdownAll() noexcept { return allShutdownEvent_ && ::SetEvent(allShutdownEvent_.get()); }
    bool SetShutdownUser() noexcept { return userShutdownEvent_ && ::SetEvent(userShutdownEvent_.get()); }
    // Waits until no instance of any session holds the all-sessions presence
    // mutex any more (it is free, abandoned by an instance that ended, or was
    // never made); false when one still holds it after the time-out.
    bool WaitUntilNoneRuns(DWORD timeoutMs) const;

    bool IsObserving() const noexcept { return static_cast<bool>(thread_); }
    HANDLE UserMutex() const noexcept { return userMutex_.get(); }
    HANDLE AllMutex() const noexcept { return allMutex_.get(); }
    HANDLE UserShutdownEvent() const noexcept { return userShutdownEvent_.get(); }
    HANDLE AllShutdownEvent() const noexcept { return allShutdownEvent_.get(); }

    // The pattern formatted with the identity, or null when out of memory.
    std::unique_ptr<wchar_t[]> FormatObjectName(const wchar_t* pattern) const;

private:
    static DWORD WINAPI ObserveThread(void* param);
    void TakeMutex(unique_mutex& mutex, const wchar_t* pattern);
    // Ends a running thread: 2000 ms, then terminated; false when terminated.
    bool EndThread() noexcept;

    unique_mutex userMutex_;
    unique_mutex allMutex_;
    unique_event userShutdownEvent_;
    unique_event allShutdownEvent_;
    unique_event stopEvent_;
    unique_thread thread_;
    std::unique_ptr<wchar_t[]> identity_;
    IObserveEvent* sink_ = nullptr;
};

// Open-or-create with the shared security of the named objects; when the
// object exists and refuses full access, opened with the reduced rights.
HANDLE CreateSharedMutex(const wchar_t* name);
HANDLE CreateSharedEvent(const wchar_t* name);

}  // namespace tapdeck
