// Which text the Wi-Fi-off dialog shows for a location code and UI language.
#include <gtest/gtest.h>

#include <string>

#include "location_code.h"

namespace tapdeck::pairwell {
namespace {

struct RuleCase {
    const char* name;
    DWORD location;
    LANGID language;
    UINT message;
};

class PowerOffRule : public ::testing::TestWithParam<RuleCase> {};

TEST_P(PowerOffRule, PicksTheMessage)
{
    EXPECT_EQ(PowerOffMessageId(GetParam().location, GetParam().language), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Pairwell, PowerOffRule,
                         ::testing::Values(RuleCase{"LocationAndUsEnglish", 5388, 0x0409, 535},
                                           RuleCase{"LocationAndGerman", 5388, 0x0407, 520},
                                           RuleCase{"LocationAndBritishEnglish", 5388, 0x0809, 520},
                                           RuleCase{"LocationAndNeutralEnglish", 5388, 0x0009, 520},
                                           RuleCase{"OtherLocationUsEnglish", 5389, 0x0409, 520},
                                           RuleCase{"SubcodeLocation", 2032, 0x0409, 520},
                                           RuleCase{"NoLocation", 0, 0x0409, 520}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tapdeck::pairwell
