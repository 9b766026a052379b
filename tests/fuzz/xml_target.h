#pragma once
// One XML reader under fuzz: how to make a model document for it, what it
// must answer for the model (whole or cut short after some nodes), what it
// answers for bytes, and what must hold for any bytes at all.
#include <functional>
#include <string>
#include <vector>

#include "fuzz_run.h"
#include "xml_documents.h"

namespace tapdeck::fuzz {

// A reader's answer, comparable: its result and what it read, as text.
struct XmlOutcome {
    bool result = false;
    std::vector<std::wstring> items;
    bool operator==(const XmlOutcome&) const = default;
};

struct XmlTarget {
    const char* name;
    // A root element with what the reader looks for, and noise.
    std::function<std::vector<XmlNode>(Random&)> model;
    // The answer for a document of which only the first `complete` nodes
    // arrived (all of them: complete == nodes.size()).
    std::function<XmlOutcome(const std::vector<XmlNode>&, size_t complete)> expected;
    // Another answer as right for a cut document, when the reader may see
    // part of the node after the last whole one (none when null).
    std::function<XmlOutcome(const std::vector<XmlNode>&, size_t complete)> alsoExpected;
    // What the product answers for these bytes.
    std::function<XmlOutcome(const std::string&)> read;
    // What holds for any answer: all or nothing, nothing empty.
    std::function<bool(const XmlOutcome&)> invariant;
    // The element and attributes hostile documents carry, and the text.
    std::wstring element;
    std::vector<std::pair<std::wstring, std::wstring>> attributes;
    std::wstring text;
    // Names the mutator inserts.
    std::vector<std::string> tokens;
    // The valid document as its writer writes it; cut at every byte in
    // every encoding.
    std::function<std::vector<XmlNode>()> canonical;
    // The answer for a document that a DTD precedes.
    XmlOutcome afterDoctype;
};

// Runs the target's share of generated, cut, hostile and mutated documents
// (settings.count in all) and its cuts of the valid files at every byte;
// prints the tally; returns the number of wrong answers.
long long RunXmlTarget(const XmlTarget& target, const Settings& settings);

// A scratch file the readers that take a path read; removed at exit.
class ScratchFile {
public:
    explicit ScratchFile(const wchar_t* name);
    ~ScratchFile();
    const std::wstring& Path() const { return path_; }
    bool Write(const std::string& bytes) const;

private:
    std::wstring path_;
};

std::string Narrow(const std::wstring& text);

}  // namespace tapdeck::fuzz
