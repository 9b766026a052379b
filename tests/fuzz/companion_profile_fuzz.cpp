// The companion profile reader ("Configuration.xml") against generated,
// cut, hostile and mutated documents: every "AppInfo" element gives an
// entry or the whole file fails, and no document makes it hang.
#include <gtest/gtest.h>

#include <cwctype>

#include "companion_profile.h"
#include "compare_no_case.h"
#include "xml_target.h"

using namespace tapdeck;
using namespace tapdeck::fuzz;

namespace {

const wchar_t* const kAttributes[] = {L"PackageFamilyName", L"AppUserModelID", L"WiFiConnectRetryTimes",
                                      L"WiFiConnectRetryInterval"};

// Leading blanks, a sign, digits up to the first other character.
int Wtoi(const std::wstring& text)
{
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    long long value = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && value < 100000000) value = value * 10 + (text[i++] - L'0');
    return static_cast<int>(negative ? -value : value);
}

std::wstring NumberText(Random& random)
{
    static const wchar_t* const texts[] = {L"3", L"10", L"0", L"-2", L"+4", L" 7", L"3x", L"x", L"1.9", L"0012", L"", L"99999"};
    return texts[random.Below(std::size(texts))];
}

std::vector<std::pair<std::wstring, std::wstring>> EntryAttributes(Random& random)
{
    std::vector<std::pair<std::wstring, std::wstring>> attributes;
    const bool complete = !random.OneIn(6);
    for (size_t i = 0; i < 4; ++i) {
        std::wstring value = i < 2 ? RandomText(random, 40) : NumberText(random);
        if (i >= 2 && value.empty()) value = L"1";
        if (!complete) {
            switch (random.Below(4)) {
            case 0: continue;                       // missing
            case 1: value.clear(); break;           // empty
            case 2: attributes.emplace_back(std::wstring(kAttributes[i]) + L"X", value); continue;
            default: break;
            }
        }
        attributes.emplace_back(kAttributes[i], value);
    }
    return attributes;
}

std::vector<XmlNode> Model(Random& random)
{
    XmlBuilder xml;
    xml.Open(NameLike(random, L"Configuration"), {}, random.OneIn(8) ? L"p" : L"");
    const size_t entries = random.Below(5);
    for (size_t e = 0; e < entries; ++e) {
        if (random.OneIn(2)) xml.Noise(random, 1);
        const std::wstring name = NameLike(random, L"AppInfo");
        const std::wstring prefix = random.OneIn(8) ? L"q" : L"";
        if (random.OneIn(3)) {
            xml.Open(name, EntryAttributes(random), prefix);
            xml.Noise(random, 2);
            xml.Close();
        } else {
            xml.Leaf(name, EntryAttributes(random), prefix);
        }
    }
    if (random.OneIn(2)) xml.Noise(random, 1);
    xml.Close();
    return xml.Nodes();
}

XmlOutcome Expected(const std::vector<XmlNode>& nodes, size_t complete)
{
    XmlOutcome outcome;
    size_t counted = 0;
    size_t read = 0;
    for (size_t i = 0; i < complete; ++i) {
        const XmlNode& node = nodes[i];
        if (!node.IsElement() || !EqualsNoCase(node.name, L"AppInfo")) continue;
        ++counted;
        std::wstring values[4];
        bool all = true;
        for (size_t a = 0; a < 4 && all; ++a) all = !(values[a] = node.Attribute(kAttributes[a])).empty();
        if (!all) continue;
        ++read;
        outcome.items.insert(outcome.items.end(), {values[0], values[1], std::to_wstring(Wtoi(values[2])),
                                                   std::to_wstring(Wtoi(values[3]))});
    }
    outcome.result = counted == read;
    if (!outcome.result) outcome.items.clear();
    return outcome;
}

TEST(CompanionProfileFuzz, EveryEntryOrNoneAndNeverAHang)
{
    const ScratchFile file(L"Configuration.xml");
    XmlTarget target;
    target.name = "companion profile (Configuration.xml)";
    target.model = Model;
    target.expected = Expected;
    target.read = [&](const std::string& bytes) {
        XmlOutcome outcome;
        if (!file.Write(bytes)) return outcome;
        CompanionProfileReader reader;
        outcome.result = reader.ReadProfile(file.Path());
        for (const AppInfoEntry& entry : reader.Entries()) {
            outcome.items.insert(outcome.items.end(), {entry.packageFamilyName, entry.appUserModelId,
                                                       std::to_wstring(entry.retryTimes),
                                                       std::to_wstring(entry.retryInterval)});
        }
        return outcome;
    };
    target.invariant = [](const XmlOutcome& outcome) {
        if (!outcome.result) return outcome.items.empty();
        if (outcome.items.size() % 4) return false;
        for (size_t i = 0; i < outcome.items.size(); i += 4) {
            if (outcome.items[i].empty() || outcome.items[i + 1].empty()) return false;
        }
        return true;
    };
    target.element = L"AppInfo";
    target.attributes = {{kAttributes[0], L"A_1"}, {kAttributes[1], L"A_1!App"}, {kAttributes[2], L"3"},
                         {kAttributes[3], L"10"}};
    target.tokens = {"<AppInfo ", "AppInfo", "PackageFamilyName=\"x\" ", "AppUserModelID=\"y\" ",
                     "WiFiConnectRetryTimes=\"1\" ", "WiFiConnectRetryInterval=\"2\" ", "<Configuration>"};
    target.canonical = [] {
        // As installed.
        XmlBuilder xml;
        xml.Open(L"Configuration");
        xml.Add(XmlNode::Kind::Whitespace, L"\n  ");
        xml.Leaf(L"AppInfo", {{kAttributes[0], L"VexaCorporation.KoxPhotoCompanion_r7tq3m9xk2b4e"},
                              {kAttributes[1], L"VexaCorporation.KoxPhotoCompanion_r7tq3m9xk2b4e!App"},
                              {kAttributes[2], L"3"},
                              {kAttributes[3], L"10"}});
        xml.Add(XmlNode::Kind::Whitespace, L"\n");
        xml.Close();
        return xml.Nodes();
    };
    // The reader stops with an error at the DTD, before any element.
    target.afterDoctype = XmlOutcome{true, {}};
    EXPECT_EQ(0, RunXmlTarget(target, Settings::Read(3000, 0xC0F16)));
}

}  // namespace
