// Structured exceptions raised below a guarded call end only that call.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "guarded_call.h"

using namespace tapdeck;

namespace {

// The compiler may drop a write through a literal null pointer; one it
// cannot see through is really made.
volatile int* volatile nullTarget = nullptr;

// Stands in for library code; kept out of line so the fault happens in a
// frame of its own, as it would inside a DLL.
__attribute__((noinline)) void WriteThroughNull(int value) { *nullTarget = value; }

__attribute__((noinline)) int DeepFault(int depth)
{
    volatile int local[16] = {};
    if (depth <= 0) {
        WriteThroughNull(local[3]);
        return 0;
    }
    return DeepFault(depth - 1) + local[depth % 16];
}

__attribute__((noinline)) void ThrowFromCpp() { throw std::runtime_error("inside"); }

}  // namespace

TEST(GuardedCall, NormalCallRunsAndReportsSuccess)
{
    int calls = 0;
    EXPECT_TRUE(CallGuarded([&] { ++calls; }));
    EXPECT_EQ(1, calls);
}

TEST(GuardedCall, AccessViolationEndsTheCallOnly)
{
    bool after = false;
    EXPECT_FALSE(CallGuarded([&] {
        WriteThroughNull(1);
        after = true;
    }));
    EXPECT_FALSE(after);
}

TEST(GuardedCall, FaultDeepInACallChainIsCaught)
{
    EXPECT_FALSE(CallGuarded([] { DeepFault(40); }));
}

TEST(GuardedCall, RaisedExceptionWithAnyCodeIsCaught)
{
    EXPECT_FALSE(CallGuarded([] { ::RaiseException(0xE0001234, 0, 0, nullptr); }));
    EXPECT_FALSE(CallGuarded([] { ::RaiseException(STATUS_INTEGER_DIVIDE_BY_ZERO, EXCEPTION_NONCONTINUABLE, 0, nullptr); }));
}

TEST(GuardedCall, CppThrowAcrossTheGuardIsCaught)
{
    EXPECT_FALSE(CallGuarded([] { ThrowFromCpp(); }));
}

TEST(GuardedCall, CallerStateSurvivesRepeatedFaults)
{
    // Nonvolatile registers and the stack must come back intact each time.
    std::string kept = "kept across faults";
    long sum = 0;
    for (int i = 0; i < 2000; ++i) {
        const bool ok = CallGuarded([&] {
            if (i % 2) WriteThroughNull(i);
            sum += i;
        });
        EXPECT_EQ(i % 2 == 0, ok);
    }
    EXPECT_EQ("kept across faults", kept);
    EXPECT_EQ(999L * 1000L, sum);
}

TEST(GuardedCall, InnerGuardSeesTheExceptionFirst)
{
    bool innerCaught = false;
    bool outerContinued = false;
    EXPECT_TRUE(CallGuarded([&] {
        innerCaught = !CallGuarded([] { WriteThroughNull(2); });
        outerContinued = true;
    }));
    EXPECT_TRUE(innerCaught);
    EXPECT_TRUE(outerContinued);
}

TEST(GuardedCall, ThreadsFaultIndependently)
{
    std::atomic<int> caught{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&caught] {
            for (int i = 0; i < 200; ++i)
                if (!CallGuarded([] { WriteThroughNull(3); })) ++caught;
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(8 * 200, caught.load());
}
