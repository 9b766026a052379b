#pragma once
// What the five proximity handler objects share: they live in the device
// context block, and reach the manager only through its call gate.
#include "delegate_base.h"
#include "nfc_call_gate.h"

namespace tapdeck {

class CNFCManager;

template <typename Delegate>
class CNFCHandler : public DelegateBase<Delegate> {
public:
    CNFCHandler(CNFCManager& manager, CNFCCallGate& gate) noexcept : manager_(manager), gate_(gate) {}
    CNFCHandler(const CNFCHandler&) = delete;
    CNFCHandler& operator=(const CNFCHandler&) = delete;

protected:
    // Reached only inside a scope of gate_: an admitted call finds the manager alive.
    CNFCManager& manager_;
    CNFCCallGate& gate_;
};

}  // namespace tapdeck
