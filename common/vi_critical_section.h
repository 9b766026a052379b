#pragma once
// Owns one CRITICAL_SECTION for its whole life.
#include <windows.h>

namespace tapdeck {

class CVICriticalSection {
public:
    CVICriticalSection() noexcept { ::InitializeCriticalSection(&section_); }
    virtual ~CVICriticalSection() { ::DeleteCriticalSection(&section_); }
    CVICriticalSection(const CVICriticalSection&) = delete;
    CVICriticalSection& operator=(const CVICriticalSection&) = delete;

    bool Lock() noexcept
    {
        ::EnterCriticalSection(&section_);
        return true;
    }
    void Unlock() noexcept { ::LeaveCriticalSection(&section_); }

    // For std::lock_guard and friends.
    void lock() noexcept { Lock(); }
    void unlock() noexcept { Unlock(); }

private:
    CRITICAL_SECTION section_;
};

}  // namespace tapdeck
