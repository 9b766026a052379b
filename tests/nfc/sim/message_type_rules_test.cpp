// The radio takes the message types Windows takes, each for what it is for.
#include <gtest/gtest.h>

#include <string>

#include "message_type_rules.h"

using namespace tapdeck::sim;

namespace {

struct TypeRule {
    std::wstring type;
    bool subscribable;
    bool publishable;
};

class MessageTypeRules : public ::testing::TestWithParam<TypeRule> {};

TEST_P(MessageTypeRules, AreThoseOfThePlatform)
{
    EXPECT_EQ(GetParam().subscribable, IsSubscribableType(GetParam().type));
    EXPECT_EQ(GetParam().publishable, IsPublishableType(GetParam().type));
}

INSTANTIATE_TEST_SUITE_P(
    Types, MessageTypeRules,
    ::testing::Values(TypeRule{L"NDEF", true, true}, TypeRule{L"NDEF:ext.vexa.com:tag", true, true},
                      TypeRule{L"Windows.VexaSample", true, true}, TypeRule{L"WindowsUri", true, true},
                      TypeRule{L"WindowsMime.image/jpeg", true, true},
                      // What only a subscription names.
                      TypeRule{L"WindowsMime", true, false}, TypeRule{L"WriteableTag", true, false},
                      TypeRule{L"NDEF:MIME.application/vnd.wfa.wsc", true, false},
                      TypeRule{L"NDEF:URI.http://contoso.com/sometype", true, false},
                      TypeRule{L"NDEF:wkt.U", true, false}, TypeRule{L"NDEF:Unknown", true, false},
                      // What only a publication names: tags are written, never subscribed.
                      TypeRule{L"NDEF:WriteTag", false, true}, TypeRule{L"Windows:WriteTag.Sample", false, true},
                      TypeRule{L"WindowsMime:WriteTag.image/jpeg", false, true},
                      TypeRule{L"LaunchApp:WriteTag", false, true},
                      // Misspelt, in another case, or with a subtype out of place.
                      TypeRule{L"", false, false}, TypeRule{L"ndef", false, false},
                      TypeRule{L"NDEF:mime.x", false, false}, TypeRule{L"NDEF:same", false, false},
                      TypeRule{L"Other", false, false}, TypeRule{L"NDEF.x", false, false},
                      TypeRule{L"WriteableTag.x", false, false}, TypeRule{L"NDEF:WriteTag.x", false, false},
                      TypeRule{L"Windows.", false, false}, TypeRule{L"NDEF:ext.", false, false},
                      TypeRule{L"Windows.a b", false, false}, TypeRule{L"Windows.caf\u00e9", false, false},
                      TypeRule{L"Windows." + std::wstring(250, L'x'), true, true},
                      TypeRule{L"Windows." + std::wstring(251, L'x'), false, false}));

}  // namespace
