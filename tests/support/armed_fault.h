#pragma once
// One failure armed in a stand-in for the length of a test, and how many of
// it have been made since. Tests that run side by side arm calls of
// different stand-ins, so each disarms and counts only its own call and
// leaves the others' armed failures and their log alone.
#include <string>
#include <utility>

#include "fault.h"

namespace tapdeck::test {

class ArmedFault {
public:
    ArmedFault(std::wstring call, long code, long count = -1, long skip = 0)
        : call_(std::move(call)), before_(Made(call_)), armed_(sim::ArmFault(call_, code, count, skip))
    {
    }
    ~ArmedFault() { sim::DisarmFault(call_); }
    ArmedFault(const ArmedFault&) = delete;
    ArmedFault& operator=(const ArmedFault&) = delete;

    bool Armed() const noexcept { return armed_; }
    // The failures of this call made since it was armed.
    size_t Made() const { return Made(call_) - before_; }

private:
    static size_t Made(const std::wstring& call)
    {
        size_t count = 0;
        for (const std::wstring& line : sim::FailedCalls()) count += line.rfind(call + L"\t", 0) == 0;
        return count;
    }

    std::wstring call_;
    size_t before_;
    bool armed_;
};

}  // namespace tapdeck::test
