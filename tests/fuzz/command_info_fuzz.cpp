// The "Command.Info" reader against generated, cut, hostile and mutated
// documents: it gives every command or none, a document that does not end
// cleanly gives none, and no document makes it hang.
#include <gtest/gtest.h>

#include "command_file.h"
#include "compare_no_case.h"
#include "xml_target.h"

using namespace tapdeck;
using namespace tapdeck::fuzz;

namespace {

bool Is(const XmlNode& node, const wchar_t* name) { return EqualsNoCase(node.name, name); }

std::vector<std::pair<std::wstring, std::wstring>> Named(Random& random, const std::wstring& nameValue)
{
    switch (random.Below(8)) {
    case 0: return {};
    case 1: return {{L"name", L""}};
    case 2: return {{L"Name", nameValue}};
    default: return {{L"name", nameValue}};
    }
}

void Arguments(Random& random, XmlBuilder& xml)
{
    const size_t count = random.Below(4);
    for (size_t a = 0; a < count; ++a) {
        std::vector<std::pair<std::wstring, std::wstring>> attributes = Named(random, L"a" + std::to_wstring(a));
        if (!random.OneIn(8)) attributes.emplace_back(L"value", random.OneIn(8) ? L"" : RandomText(random, 30));
        if (random.OneIn(4)) xml.Add(XmlNode::Kind::Whitespace, L"\n      ");
        if (random.OneIn(6)) {
            xml.Open(NameLike(random, L"Argument"), attributes);
            xml.Close();
        } else {
            xml.Leaf(NameLike(random, L"Argument"), attributes);
        }
    }
}

std::vector<XmlNode> Model(Random& random)
{
    static const wchar_t* const names[] = {L"LaunchPS", L"WiFiDisconnect", L"wifidisconnect", L"Other"};
    XmlBuilder xml;
    xml.Open(NameLike(random, L"CommandInfo"), {}, random.OneIn(8) ? L"p" : L"");
    const size_t commands = random.Below(4);
    for (size_t c = 0; c < commands; ++c) {
        if (random.OneIn(3)) xml.Noise(random, 1);
        const std::wstring name = NameLike(random, L"Command");
        const auto attributes = Named(random, random.OneIn(2) ? names[random.Below(4)] : RandomText(random, 12));
        if (random.OneIn(10)) {
            xml.Leaf(name, attributes);  // no argument list: it takes what follows
            continue;
        }
        xml.Open(name, attributes);
        if (random.OneIn(2)) xml.Add(XmlNode::Kind::Whitespace, L"\n    ");
        switch (random.Below(6)) {
        case 0: xml.Leaf(NameLike(random, L"ArgumentList")); break;
        case 1: break;
        default:
            xml.Open(NameLike(random, L"ArgumentList"));
            Arguments(random, xml);
            if (random.OneIn(4)) xml.Noise(random, 3);
            xml.Close();
        }
        if (random.OneIn(2)) xml.Add(XmlNode::Kind::Whitespace, L"\n  ");
        xml.Close();
    }
    if (random.OneIn(2)) xml.Noise(random, 1);
    xml.Close();
    return xml.Nodes();
}

// The reading the command monitor relies on: each "Command" element counts;
// its arguments are the "Argument" elements up to the first "ArgumentList"
// end tag; the reading goes on after that. A document cut short gives none.
XmlOutcome Expected(const std::vector<XmlNode>& nodes, size_t complete)
{
    XmlOutcome outcome;
    if (complete < nodes.size()) return outcome;
    size_t counted = 0;
    size_t read = 0;
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (!nodes[i].IsElement() || !Is(nodes[i], L"Command")) continue;
        ++counted;
        const std::wstring name = nodes[i].Attribute(L"name");
        std::vector<std::wstring> arguments;
        bool first = true;
        size_t j = i + 1;
        for (; j < nodes.size(); ++j) {
            const XmlNode& node = nodes[j];
            if (node.kind == XmlNode::Kind::End && Is(node, L"ArgumentList")) break;
            first = false;
            if (node.IsElement() && Is(node, L"Argument")) {
                const std::wstring argumentName = node.Attribute(L"name");
                const std::wstring value = node.Attribute(L"value");
                if (!argumentName.empty() && !value.empty()) arguments.push_back(L"A:" + argumentName + L"\x1F" + value);
            }
        }
        if (!name.empty() && !first) {
            ++read;
            outcome.items.push_back(L"C:" + name);
            outcome.items.insert(outcome.items.end(), arguments.begin(), arguments.end());
        }
        i = j;
    }
    outcome.result = counted == read;
    if (!outcome.result) outcome.items.clear();
    return outcome;
}

TEST(CommandInfoFuzz, EveryCommandOrNoneAndNeverAHang)
{
    const ScratchFile file(L"Command.Info");
    XmlTarget target;
    target.name = "command file (Command.Info)";
    target.model = Model;
    target.expected = Expected;
    target.read = [&](const std::string& bytes) {
        XmlOutcome outcome;
        if (!file.Write(bytes)) return outcome;
        std::vector<Command> commands;
        CommandFile command;
        outcome.result = command.Read(file.Path(), commands);
        for (const Command& c : commands) {
            outcome.items.push_back(L"C:" + c.name);
            for (const Argument& a : c.arguments) outcome.items.push_back(L"A:" + a.name + L"\x1F" + a.value);
        }
        return outcome;
    };
    target.invariant = [](const XmlOutcome& outcome) {
        if (!outcome.result) return outcome.items.empty();
        for (const std::wstring& item : outcome.items) {
            if (item.size() <= 2) return false;
            if (item[0] == L'A' && (item[2] == L'\x1F' || item.back() == L'\x1F')) return false;
        }
        return true;
    };
    target.element = L"Command";
    target.attributes = {{L"name", L"LaunchPS"}};
    target.text = L"<ArgumentList><Argument name=\"a\" value=\"v\"/></ArgumentList>";
    target.tokens = {"<Command name=\"LaunchPS\">", "<ArgumentList>", "</ArgumentList>", "<Argument name=\"a\" value=\"b\"/>",
                     "Command", "Argument", "ArgumentList", "</Command>"};
    target.canonical = [] {
        // As the companion app writes it.
        XmlBuilder xml;
        xml.Open(L"CommandInfo");
        for (const wchar_t* name : {L"WiFiDisconnect", L"LaunchPS"}) {
            xml.Add(XmlNode::Kind::Whitespace, L"\n  ");
            xml.Open(L"Command", {{L"name", name}});
            xml.Add(XmlNode::Kind::Whitespace, L"\n    ");
            xml.Open(L"ArgumentList");
            xml.Add(XmlNode::Kind::Whitespace, L"\n      ");
            xml.Leaf(L"Argument", {{L"name", L"a"}, {L"value", L"C:\\Pictures\\one.jpg"}});
            xml.Add(XmlNode::Kind::Whitespace, L"\n    ");
            xml.Close();
            xml.Add(XmlNode::Kind::Whitespace, L"\n  ");
            xml.Close();
        }
        xml.Add(XmlNode::Kind::Whitespace, L"\n");
        xml.Close();
        return xml.Nodes();
    };
    target.afterDoctype = XmlOutcome{false, {}};
    EXPECT_EQ(0, RunXmlTarget(target, Settings::Read(3000, 0xC0DE1F0)));
}

}  // namespace
