#pragma once
// Puts one build of the usage-statistics stand-in where the client looks,
// with an empty record, and leaves the prefix and the client as it found them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim_state.h"
#include "tallyr_record.h"
#include "usage_stats.h"

namespace tapdeck::test {

using Calls = std::vector<std::vector<std::wstring>>;

class TallyrTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim::ClearTallyrCalls();
        sim::DeleteStateFile(sim::kTallyrArea, L"initialize-result");
        sim::RemoveTallyr();
    }
    void TearDown() override
    {
        // The client is process-wide: hand it back unloaded.
        for (int i = 0; i < 100 && ReleaseUsageStats() != kUsageUnavailable; ++i) {
        }
        sim::DeleteStateFile(sim::kTallyrArea, L"initialize-result");
    }

    static void Install(const wchar_t* variant)
    {
        for (const sim::TallyrVariant& v : sim::TallyrVariants()) {
            if (std::wstring(v.name) == variant) {
                ASSERT_TRUE(sim::InstallTallyrFrom(std::wstring(TALLYR_BUILD_DIR) + L"/" + v.file));
                return;
            }
        }
        FAIL() << "no such variant";
    }
    static void SetInitializeResult(const wchar_t* text)
    {
        sim::WriteStateFile(sim::kTallyrArea, L"initialize-result", text);
    }

    // The calls this test program made, without their caller field.
    static Calls LibraryCalls() { return sim::ReadTallyrCallsFrom(L"usage_tests.exe"); }
    static size_t CountOf(const wchar_t* function)
    {
        size_t count = 0;
        for (const auto& call : sim::ReadTallyrCalls()) count += call[0] == function;
        return count;
    }

private:
    sim::ScopedTallyrInstall restore_;
};

}  // namespace tapdeck::test
