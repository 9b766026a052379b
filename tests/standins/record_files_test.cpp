// The stand-ins' record files, which every test reads and resets.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "sim_state.h"

using namespace tapdeck;

namespace {

// A reset while another stand-in appends (a connection that completes late,
// a program still ending) must still take: a record left behind is counted
// by the next test as its own.
TEST(RecordFiles, ResetNeverFailsBecauseAWriterHoldsTheFile)
{
    constexpr wchar_t kArea[] = L"record-files-test";
    constexpr wchar_t kFile[] = L"events.log";
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        while (!stop) sim::AppendRecord(kArea, kFile, L"line");
    });
    int refused = 0;
    for (int round = 0; round < 2000; ++round) {
        if (!sim::DeleteStateFile(kArea, kFile) && ::GetLastError() != ERROR_FILE_NOT_FOUND) ++refused;
    }
    stop = true;
    writer.join();
    sim::DeleteStateFile(kArea, kFile);
    EXPECT_EQ(0, refused);
}

}  // namespace
