#include "xml_target.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "unique_handle.h"

namespace tapdeck::fuzz {
namespace {

// How many of the document's nodes lie wholly within its first `size` bytes.
size_t CompleteNodes(const XmlDocument& document, size_t size)
{
    return static_cast<size_t>(std::upper_bound(document.nodeEnds.begin(), document.nodeEnds.end(), size) -
                               document.nodeEnds.begin());
}

std::string Describe(const XmlOutcome& outcome)
{
    std::string text = outcome.result ? "true" : "false";
    for (const auto& item : outcome.items) text += " [" + Narrow(item.substr(0, 80)) + "]";
    return text;
}

std::string Quote(const std::string& bytes)
{
    std::string text;
    for (unsigned char c : bytes.substr(0, 400)) {
        if (c >= 0x20 && c < 0x7F) {
            text += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof(hex), "\\x%02X", c);
            text += hex;
        }
    }
    return text;
}

class Checker {
public:
    Checker(const XmlTarget& target, Tally& tally) : target_(target), tally_(tally) {}

    // Exact: the answer must be one of the expected ones.
    void Exact(std::uint64_t seed, const std::string& bytes, const std::vector<XmlOutcome>& expected,
               const std::string& what)
    {
        const XmlOutcome outcome = target_.read(bytes);
        if (std::find(expected.begin(), expected.end(), outcome) == expected.end() || !target_.invariant(outcome)) {
            Wrong(seed, bytes, "answered " + Describe(outcome) + ", expected " + Describe(expected.front()) + " for " + what);
            return;
        }
        tally_.Add(std::string(outcome.result ? "read" : "refused") + " as expected");
    }

    // Any answer that keeps the reader's rules.
    void Kept(std::uint64_t seed, const std::string& bytes, const std::string& what)
    {
        const XmlOutcome outcome = target_.read(bytes);
        if (!target_.invariant(outcome)) {
            Wrong(seed, bytes, "answered " + Describe(outcome) + ", which breaks its rules, for " + what);
            return;
        }
        tally_.Add(std::string(outcome.result ? "read" : "refused") + ", rules kept (no exact expectation)");
    }

    long long wrong = 0;

private:
    void Wrong(std::uint64_t seed, const std::string& bytes, const std::string& why)
    {
        tally_.Add("WRONG ANSWER");
        if (++wrong <= 5) {
            ADD_FAILURE() << target_.name << ": input 0x" << std::hex << seed << " " << why << "\n  bytes: "
                          << Quote(bytes);
        }
    }

    const XmlTarget& target_;
    Tally& tally_;
};

bool IsUtf16(Encoding encoding) { return encoding != Encoding::Utf8 && encoding != Encoding::Utf8Bom; }

// The answers right for the document cut after `size` bytes: the one for
// the nodes it holds whole, the target's other acceptable one, and, for a
// UTF-16 document cut after half a character, those for the whole character
// (Wine's reader takes an odd last byte as a character of its own).
std::vector<XmlOutcome> CutAnswers(const XmlTarget& target, const XmlDocument& document, Encoding encoding,
                                   size_t size)
{
    std::vector<XmlOutcome> answers;
    for (size_t cut : {size, size + 1}) {
        if (cut != size && !(IsUtf16(encoding) && size % 2)) break;
        const size_t complete = CompleteNodes(document, cut);
        answers.push_back(target.expected(document.nodes, complete));
        if (target.alsoExpected) answers.push_back(target.alsoExpected(document.nodes, complete));
    }
    return answers;
}

}  // namespace

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

ScratchFile::ScratchFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    path_ = std::wstring(folder) + L"tapdeck-fuzz-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + name;
}

ScratchFile::~ScratchFile() { ::DeleteFileW(path_.c_str()); }

bool ScratchFile::Write(const std::string& bytes) const
{
    unique_file file(::CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

long long RunXmlTarget(const XmlTarget& target, const Settings& settings)
{
    Tally tally;
    Checker checker(target, tally);

    // Every byte of the valid document in every encoding, with and without
    // its declaration.
    if (!settings.replay) {
        Watchdog watchdog(target.name, std::chrono::seconds(20));
        Random random(settings.seed);
        const std::vector<XmlNode> nodes = target.canonical();
        for (Encoding encoding : kEncodings) {
            for (bool declared : {true, false}) {
                const XmlDocument document = Serialise(nodes, encoding, declared, random);
                for (size_t size = 0; size <= document.bytes.size(); ++size) {
                    watchdog.Begin(size);
                    tally.AddKind(std::string("valid document cut at every byte, ") + EncodingName(encoding) +
                                  (declared ? ", declared" : ""));
                    checker.Exact(size, document.bytes.substr(0, size), CutAnswers(target, document, encoding, size),
                                  "the valid document cut at byte " + std::to_string(size));
                    watchdog.End();
                }
            }
        }
    }

    ForEachInput(target.name, settings, std::chrono::seconds(20), [&](std::uint64_t seed, Random& random) {
        const std::vector<XmlNode> nodes = target.model(random);
        const Encoding encoding = kEncodings[random.Below(std::size(kEncodings))];
        const XmlDocument document = Serialise(nodes, encoding, !random.OneIn(3), random);
        switch (random.Below(20)) {
        case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 7:
            tally.AddKind(std::string("generated, ") + EncodingName(encoding));
            checker.Exact(seed, document.bytes, {target.expected(nodes, nodes.size())}, "a generated document");
            break;
        case 8: case 9: case 10: case 11: {
            tally.AddKind("generated, cut short");
            const size_t size = random.Below(document.bytes.size() + 1);
            checker.Exact(seed, document.bytes.substr(0, size), CutAnswers(target, document, encoding, size),
                          "a generated document cut at byte " + std::to_string(size));
            break;
        }
        case 12: case 13: case 14: {
            const HostileDocument hostile = Hostile(random, target.element, target.attributes, target.text);
            tally.AddKind("hostile: " + hostile.kind);
            if (hostile.kind == "DTD and entities") {
                checker.Exact(seed, hostile.bytes, {target.afterDoctype}, "a document behind a DTD");
            } else {
                checker.Kept(seed, hostile.bytes, "a hostile document (" + hostile.kind + ")");
            }
            break;
        }
        default: {
            std::string move;
            const std::string bytes = MutateXml(random, document.bytes, target.tokens, move);
            tally.AddKind("mutated (last move: " + move + ")");
            checker.Kept(seed, bytes, "a mutated document");
        }
        }
    });
    tally.Print(target.name, settings);
    return checker.wrong;
}

}  // namespace tapdeck::fuzz
