#pragma once
// Client of the maker's usage-statistics library "tallyr.dll": loaded on
// demand from Program Files, silent when the library is missing.
#include <windows.h>
#include <atomic>
#include <initializer_list>
#include <mutex>

namespace tapdeck {

constexpr HRESULT kUsageUnavailable = static_cast<HRESULT>(0x80040000);
constexpr HRESULT kUsageException = static_cast<HRESULT>(0x80044000);

// The process-wide client. Results are the library's, passed back unchanged.
HRESULT InitUsageStats();
HRESULT ReleaseUsageStats();
HRESULT SubmitUsageEvent(int count, const wchar_t* const* strings);
HRESULT SubmitUsageSetting(const wchar_t* const* categoryAndName, const wchar_t* value);

// One user's view of the client: its usageStatus (0 when up, E_FAIL until
// initialised) and the rule that a submission first tries to bring the
// client up and is skipped while it is not.
class UsageUser {
public:
    HRESULT Status() const noexcept { return status_.load(); }
    // InitUsageStats when not up; the result becomes the status.
    HRESULT Init();
    // Init when needed, then SubmitUsageEvent; skipped while not up.
    void SubmitEventIfUp(std::initializer_list<const wchar_t*> strings);
    // ReleaseUsageStats when up, then back to E_FAIL.
    void Release();

private:
    // Two threads that find the client down at once must not both bring it
    // up: the second would store 1 and never submit again.
    std::mutex initLock_;
    std::atomic<HRESULT> status_{E_FAIL};
};

}  // namespace tapdeck
