// The "App.Info" reader against generated, cut, hostile and mutated
// documents: the identifier is the first text after a "SessionID" start
// tag, taken only once the node after it shows the text whole, and no
// document makes it hang.
#include <gtest/gtest.h>

#include "session_info.h"
#include "compare_no_case.h"
#include "xml_target.h"

using namespace tapdeck;
using namespace tapdeck::fuzz;

namespace {

std::vector<XmlNode> Model(Random& random)
{
    XmlBuilder xml;
    xml.Open(NameLike(random, L"AppInfo"), {}, random.OneIn(8) ? L"p" : L"");
    if (random.OneIn(2)) xml.Noise(random, 1);
    const size_t ids = random.Below(3);
    for (size_t i = 0; i < ids; ++i) {
        const std::wstring name = NameLike(random, L"SessionID");
        if (random.OneIn(6)) {
            xml.Leaf(name);
        } else {
            xml.Open(name, {}, random.OneIn(8) ? L"q" : L"");
            if (random.OneIn(3)) xml.Noise(random, 2);
            if (!random.OneIn(6)) xml.Add(XmlNode::Kind::Text, RandomText(random, 40));
            if (random.OneIn(4)) xml.Noise(random, 2);
            xml.Close();
        }
        if (random.OneIn(2)) xml.Noise(random, 1);
    }
    xml.Close();
    return xml.Nodes();
}

// The first text after a "SessionID" start tag, once the node after it has
// arrived whole (whole == true), or has begun (false): the text ends where
// the next node begins, so only the whole text may ever be taken.
XmlOutcome Identifier(const std::vector<XmlNode>& nodes, size_t complete, bool whole)
{
    bool seen = false;
    for (size_t i = 0; i < complete; ++i) {
        if (nodes[i].IsElement() && EqualsNoCase(nodes[i].name, L"SessionID")) seen = true;
        if (nodes[i].kind == XmlNode::Kind::Text && seen) {
            if (!whole || i + 1 < complete) return XmlOutcome{true, {nodes[i].text}};
            return XmlOutcome{};
        }
    }
    return XmlOutcome{};
}

TEST(AppInfoFuzz, TheIdentifierOrNothingAndNeverAHang)
{
    const ScratchFile file(L"App.Info");
    XmlTarget target;
    target.name = "session request (App.Info)";
    target.model = Model;
    target.expected = [](const std::vector<XmlNode>& nodes, size_t complete) { return Identifier(nodes, complete, true); };
    target.alsoExpected = [](const std::vector<XmlNode>& nodes, size_t complete) {
        return Identifier(nodes, complete, false);
    };
    target.read = [&](const std::string& bytes) {
        XmlOutcome outcome;
        if (!file.Write(bytes)) return outcome;
        std::wstring id = L"stale";
        outcome.result = ReadSessionId(file.Path(), id);
        if (!id.empty()) outcome.items.push_back(id);
        return outcome;
    };
    target.invariant = [](const XmlOutcome& outcome) { return outcome.result == !outcome.items.empty(); };
    target.element = L"SessionID";
    target.text = L"S-42";
    target.tokens = {"<SessionID>", "</SessionID>", "SessionID", "<AppInfo>"};
    target.canonical = [] {
        // As the companion app writes it.
        XmlBuilder xml;
        xml.Open(L"AppInfo");
        xml.Add(XmlNode::Kind::Whitespace, L"\n  ");
        xml.Open(L"SessionID");
        xml.Add(XmlNode::Kind::Text, L"7f3a9c2e-55b1-4c8d-9e0f-1a2b3c4d5e6f");
        xml.Close();
        xml.Add(XmlNode::Kind::Whitespace, L"\n");
        xml.Close();
        return xml.Nodes();
    };
    target.afterDoctype = XmlOutcome{false, {}};
    EXPECT_EQ(0, RunXmlTarget(target, Settings::Read(3000, 0xA661F0)));
}

}  // namespace
