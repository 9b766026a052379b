#include "nfc_call_gate.h"

namespace tapdeck {

void CNFCCallGate::Close()
{
    std::unique_lock lock(lock_);
    closed_ = true;
    callsDone_.wait(lock, [this] { return activeCalls_ == 0; });
}

CNFCCallGate::Scope::Scope(CNFCCallGate& gate) noexcept : gate_(gate)
{
    std::lock_guard lock(gate_.lock_);
    entered_ = !gate_.closed_;
    if (entered_) ++gate_.activeCalls_;
}

CNFCCallGate::Scope::~Scope()
{
    if (!entered_) return;
    std::lock_guard lock(gate_.lock_);
    if (--gate_.activeCalls_ == 0) gate_.callsDone_.notify_all();
}

}  // namespace tapdeck
