// Pairwell's command line as HandleCommandLine reads it, for texts that no
// process start can deliver: Windows drops the blanks in front of them.
#include <gtest/gtest.h>

#include "pairwell_app.h"
#include "pairwell_world.h"

using namespace tapdeck;
using namespace tapdeck::pairwell;
using namespace tapdeck::test;

namespace {

struct DispatchCase {
    const char* name;
    const wchar_t* commandLine;
    bool dropped;
};

class CommandLine : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(CommandLine, DisconnectsOnlyWithTheSwitchAtTheFirstCharacter)
{
    PairwellWorld world;
    world.Wlan([](sim::WlanSimState& s) { s.connected = kCameraSsid; });
    {
        CPairwell app([](const wchar_t*) { return true; });
        app.HandleCommandLine(::GetModuleHandleW(nullptr), GetParam().commandLine);
        app.ReleaseInstanceObjects();
    }
    EXPECT_EQ(world.Connected(), GetParam().dropped ? L"" : kCameraSsid);
    EXPECT_EQ(world.CountWlanEvents(L"open"), world.CountWlanEvents(L"close"));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CommandLine,
    ::testing::Values(DispatchCase{"LeadingBlankMakesAPayload", L" /Disconnect /KOX-CAM-7F3A", false},
                      // The name starts at the 14th character, whatever the
                      // two characters after the switch are.
                      DispatchCase{"AnyTwoSeparators", L"/Disconnect--KOX-CAM-7F3A", true},
                      DispatchCase{"NoSeparatorCutsTheName", L"/Disconnect/KOX-CAM-7F3A", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
