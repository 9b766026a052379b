#include "usage_stats.h"

namespace tapdeck {

HRESULT UsageUser::Init()
{
    std::lock_guard lock(initLock_);
    if (status_.load() != S_OK) status_ = InitUsageStats();
    return status_.load();
}

void UsageUser::SubmitEventIfUp(std::initializer_list<const wchar_t*> strings)
{
    if (Init() != S_OK) return;
    SubmitUsageEvent(static_cast<int>(strings.size()), strings.begin());
}

void UsageUser::Release()
{
    std::lock_guard lock(initLock_);
    if (status_.load() == S_OK) ReleaseUsageStats();
    status_ = E_FAIL;
}

}  // namespace tapdeck
