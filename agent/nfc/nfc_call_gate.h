#pragma once
// Admits the platform's calls into the handlers until the connection is
// closed. It lives in the handler block, which is never freed while the
// platform can still call a handler, so a late call only ever touches the
// gate and is turned away.
#include <condition_variable>
#include <mutex>

namespace tapdeck {

class CNFCCallGate {
public:
    CNFCCallGate() = default;
    CNFCCallGate(const CNFCCallGate&) = delete;
    CNFCCallGate& operator=(const CNFCCallGate&) = delete;

    // Refuses every later call and waits until the admitted ones have left.
    void Close();

    // One handler call; false once the gate is closed: the call does nothing.
    class Scope {
    public:
        explicit Scope(CNFCCallGate& gate) noexcept;
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        explicit operator bool() const noexcept { return entered_; }

    private:
        CNFCCallGate& gate_;
        bool entered_;
    };

private:
    std::mutex lock_;
    std::condition_variable callsDone_;
    int activeCalls_ = 0;  // guarded by lock_
    bool closed_ = false;  // guarded by lock_
};

}  // namespace tapdeck
