#pragma once
// A slim reader/writer lock held exclusively for one scope. Native, so that a
// worker ending through FreeLibraryAndExitThread leaves no runtime state behind.
#include <windows.h>

namespace tapdeck {

class SrwGuard {
public:
    explicit SrwGuard(SRWLOCK& lock) noexcept : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
    ~SrwGuard() { ::ReleaseSRWLockExclusive(&lock_); }
    SrwGuard(const SrwGuard&) = delete;
    SrwGuard& operator=(const SrwGuard&) = delete;

private:
    SRWLOCK& lock_;
};

}  // namespace tapdeck
