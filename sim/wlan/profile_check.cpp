#include "profile_check.h"

#include <memory>
#include <vector>

#include "sim_state.h"
#include "wlan_sim_state.h"

namespace tapdeck::sim {
namespace {

constexpr wchar_t kNamespace[] = L"http://www.microsoft.com/networking/WLAN/profile/v1";

struct Element {
    std::wstring name;
    std::vector<std::pair<std::wstring, std::wstring>> attributes;
    std::wstring text;
    std::vector<std::unique_ptr<Element>> children;

    const Element* Child(std::wstring_view childName) const
    {
        const Element* found = nullptr;
        for (const auto& child : children) {
            if (child->name == childName) {
                if (found) return nullptr;  // twice: not the schema's
                found = child.get();
            }
        }
        return found;
    }
    int Count(std::wstring_view childName) const
    {
        int count = 0;
        for (const auto& child : children) count += child->name == childName;
        return count;
    }
};

// A small XML 1.0 reader: elements, attributes, character data with entity
// and character references, comments, processing instructions and CDATA.
// No DTD, as the service's reader.
class Parser {
public:
    explicit Parser(std::wstring_view text) : text_(text) {}

    std::unique_ptr<Element> Parse(std::wstring& error)
    {
        if (!CheckCharacters(error)) return nullptr;
        if (Starts(L"<?xml")) {
            const size_t end = text_.find(L"?>", pos_);
            if (end == std::wstring_view::npos) return Fail(error, L"unterminated XML declaration");
            pos_ = end + 2;
        }
        SkipMisc();
        if (Starts(L"<!DOCTYPE")) return Fail(error, L"DTD prohibited");
        if (!Starts(L"<")) return Fail(error, L"no root element");
        auto root = ParseElement(error);
        if (!root) return nullptr;
        SkipMisc();
        if (pos_ != text_.size()) return Fail(error, L"content after the root element");
        return root;
    }

private:
    std::unique_ptr<Element> Fail(std::wstring& error, const wchar_t* why)
    {
        if (error.empty()) error = why;
        return nullptr;
    }

    bool Starts(std::wstring_view prefix) const { return text_.substr(pos_, prefix.size()) == prefix; }

    static bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }
    static bool IsNameChar(wchar_t c)
    {
        return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' ||
               c == L'-' || c == L'.' || c == L':' || c >= 0x80;
    }
    static bool IsXmlChar(unsigned long c)
    {
        return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
               (c >= 0x10000 && c <= 0x10FFFF);
    }

    bool CheckCharacters(std::wstring& error)
    {
        for (size_t i = 0; i < text_.size(); ++i) {
            const wchar_t c = text_[i];
            if (c >= 0xD800 && c <= 0xDBFF) {
                if (i + 1 < text_.size() && text_[i + 1] >= 0xDC00 && text_[i + 1] <= 0xDFFF) {
                    ++i;
                    continue;
                }
                error = L"unpaired surrogate";
                return false;
            }
            if ((c >= 0xDC00 && c <= 0xDFFF) || !IsXmlChar(c)) {
                error = L"character not allowed in XML";
                return false;
            }
        }
        return true;
    }

    void SkipSpace()
    {
        while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
    }

    void SkipMisc()
    {
        for (;;) {
            SkipSpace();
            if (Starts(L"<!--")) {
                const size_t end = text_.find(L"-->", pos_ + 4);
                pos_ = end == std::wstring_view::npos ? text_.size() : end + 3;
            } else if (Starts(L"<?")) {
                const size_t end = text_.find(L"?>", pos_ + 2);
                pos_ = end == std::wstring_view::npos ? text_.size() : end + 2;
            } else {
                return;
            }
        }
    }

    bool ParseName(std::wstring& name)
    {
        const size_t start = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
        name = text_.substr(start, pos_ - start);
        return !name.empty() && !(name[0] >= L'0' && name[0] <= L'9') && name[0] != L'-' && name[0] != L'.';
    }

    // At '&': appends the referenced character.
    bool ParseReference(std::wstring& out, std::wstring& error)
    {
        const size_t end = text_.find(L';', pos_);
        if (end == std::wstring_view::npos) return static_cast<bool>(Fail(error, L"unterminated reference"));
        const std::wstring_view ref = text_.substr(pos_ + 1, end - pos_ - 1);
        pos_ = end + 1;
        if (ref == L"lt") out += L'<';
        else if (ref == L"gt") out += L'>';
        else if (ref == L"amp") out += L'&';
        else if (ref == L"quot") out += L'"';
        else if (ref == L"apos") out += L'\'';
        else if (ref.size() > 1 && ref[0] == L'#') {
            const bool hex = ref[1] == L'x';
            const std::wstring_view digits = ref.substr(hex ? 2 : 1);
            if (digits.empty() || digits.size() > 8) return static_cast<bool>(Fail(error, L"bad character reference"));
            unsigned long code = 0;
            for (const wchar_t d : digits) {
                unsigned long v = 0;
                if (d >= L'0' && d <= L'9') v = d - L'0';
                else if (hex && d >= L'a' && d <= L'f') v = d - L'a' + 10;
                else if (hex && d >= L'A' && d <= L'F') v = d - L'A' + 10;
                else return static_cast<bool>(Fail(error, L"bad character reference"));
                code = code * (hex ? 16 : 10) + v;
            }
            if (!IsXmlChar(code) || (code >= 0xD800 && code <= 0xDFFF)) {
                return static_cast<bool>(Fail(error, L"character reference to a character not allowed in XML"));
            }
            if (code >= 0x10000) {
                code -= 0x10000;
                out += static_cast<wchar_t>(0xD800 + (code >> 10));
                out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
            } else {
                out += static_cast<wchar_t>(code);
            }
        } else {
            return static_cast<bool>(Fail(error, L"undefined entity"));
        }
        return true;
    }

    std::unique_ptr<Element> ParseElement(std::wstring& error)
    {
        if (++depth_ > 64) return Fail(error, L"too deep");
        ++pos_;  // '<'
        auto element = std::make_unique<Element>();
        if (!ParseName(element->name)) return Fail(error, L"bad element name");
        for (;;) {
            const size_t before = pos_;
            SkipSpace();
            if (Starts(L"/>")) {
                pos_ += 2;
                --depth_;
                return element;
            }
            if (Starts(L">")) {
                ++pos_;
                break;
            }
            if (pos_ == before) return Fail(error, L"malformed start tag");
            std::wstring attribute;
            if (!ParseName(attribute)) return Fail(error, L"bad attribute name");
            SkipSpace();
            if (!Starts(L"=")) return Fail(error, L"attribute without value");
            ++pos_;
            SkipSpace();
            if (pos_ >= text_.size() || (text_[pos_] != L'"' && text_[pos_] != L'\'')) {
                return Fail(error, L"unquoted attribute");
            }
            const wchar_t quote = text_[pos_++];
            std::wstring value;
            while (pos_ < text_.size() && text_[pos_] != quote) {
                if (text_[pos_] == L'<') return Fail(error, L"'<' in attribute");
                if (text_[pos_] == L'&') {
                    if (!ParseReference(value, error)) return nullptr;
                } else {
                    value += text_[pos_++];
                }
            }
            if (pos_ >= text_.size()) return Fail(error, L"unterminated attribute");
            ++pos_;
            for (const auto& [name, unused] : element->attributes) {
                if (name == attribute) return Fail(error, L"duplicate attribute");
            }
            element->attributes.emplace_back(attribute, value);
        }
        // Content.
        for (;;) {
            if (pos_ >= text_.size()) return Fail(error, L"unterminated element");
            if (Starts(L"</")) {
                pos_ += 2;
                std::wstring name;
                if (!ParseName(name) || name != element->name) return Fail(error, L"mismatched end tag");
                SkipSpace();
                if (!Starts(L">")) return Fail(error, L"malformed end tag");
                ++pos_;
                --depth_;
                return element;
            }
            if (Starts(L"<!--")) {
                const size_t end = text_.find(L"-->", pos_ + 4);
                if (end == std::wstring_view::npos) return Fail(error, L"unterminated comment");
                pos_ = end + 3;
            } else if (Starts(L"<![CDATA[")) {
                const size_t end = text_.find(L"]]>", pos_ + 9);
                if (end == std::wstring_view::npos) return Fail(error, L"unterminated CDATA");
                element->text += text_.substr(pos_ + 9, end - pos_ - 9);
                pos_ = end + 3;
            } else if (Starts(L"<?")) {
                const size_t end = text_.find(L"?>", pos_ + 2);
                if (end == std::wstring_view::npos) return Fail(error, L"unterminated processing instruction");
                pos_ = end + 2;
            } else if (Starts(L"<")) {
                auto child = ParseElement(error);
                if (!child) return nullptr;
                element->children.push_back(std::move(child));
            } else if (text_[pos_] == L'&') {
                if (!ParseReference(element->text, error)) return nullptr;
            } else if (text_[pos_] == L'\r') {
                // Line ends become line feeds, as every XML reader does.
                element->text += L'\n';
                pos_ += Starts(L"\r\n") ? 2 : 1;
            } else {
                if (Starts(L"]]>")) return Fail(error, L"']]>' in content");
                element->text += text_[pos_++];
            }
        }
    }

    std::wstring_view text_;
    size_t pos_ = 0;
    int depth_ = 0;
};

bool IsOneOf(const std::wstring& value, std::initializer_list<const wchar_t*> allowed)
{
    for (const wchar_t* item : allowed) {
        if (value == item) return true;
    }
    return false;
}

const Element* Path(const Element* from, std::initializer_list<const wchar_t*> names)
{
    for (const wchar_t* name : names) {
        if (!from) return nullptr;
        from = from->Child(name);
    }
    return from;
}

// An element that holds only text.
bool TextOf(const Element* element, std::wstring& text)
{
    if (!element || !element->children.empty()) return false;
    text = element->text;
    return true;
}

bool OptionalBoolean(const Element* parent, const wchar_t* name)
{
    if (parent->Count(name) == 0) return true;
    std::wstring value;
    return TextOf(parent->Child(name), value) && IsOneOf(value, {L"true", L"false"});
}

// The children each element of the schema may have, in the order the schema
// gives them; only SSIDConfig's SSID may repeat. Elements of other
// namespaces (a prefix) are left to their own schema.
struct SchemaElement {
    const wchar_t* name;
    std::initializer_list<const wchar_t*> children;
};
const SchemaElement kSchema[] = {
    {L"WLANProfile", {L"name", L"SSIDConfig", L"connectionType", L"connectionMode", L"autoSwitch", L"MSM", L"IHV"}},
    {L"SSIDConfig", {L"SSID", L"nonBroadcast"}},
    {L"SSID", {L"hex", L"name"}},
    {L"MSM", {L"connectivity", L"security"}},
    {L"connectivity", {L"phyType"}},
    {L"security",
     {L"authEncryption", L"sharedKey", L"keyIndex", L"PMKCacheMode", L"PMKCacheTTL", L"PMKCacheSize", L"preAuthMode",
      L"preAuthThrottle"}},
    {L"authEncryption", {L"authentication", L"encryption", L"useOneX", L"FIPSMode"}},
    {L"sharedKey", {L"keyType", L"protected", L"keyMaterial"}},
};

// Empty when every element under this one is known and in order.
std::wstring CheckSchemaOrder(const Element& element)
{
    const SchemaElement* schema = nullptr;
    for (const SchemaElement& entry : kSchema) {
        if (element.name == entry.name) schema = &entry;
    }
    for (const auto& child : element.children) {
        if (child->name.find(L':') != std::wstring::npos) continue;
        if (!schema) return L"unknown element " + child->name + L" in " + element.name;
    }
    if (!schema) return {};
    int last = -1;
    for (const auto& child : element.children) {
        if (child->name.find(L':') != std::wstring::npos) continue;
        int index = 0;
        for (const wchar_t* name : schema->children) {
            if (child->name == name) break;
            ++index;
        }
        if (index == static_cast<int>(schema->children.size())) {
            return L"unknown element " + child->name + L" in " + element.name;
        }
        const bool repeats = index == last && child->name == L"SSID";
        if (index < last || (index == last && !repeats)) return child->name + L" out of order in " + element.name;
        last = index;
        std::wstring error = CheckSchemaOrder(*child);
        if (!error.empty()) return error;
    }
    return {};
}

}  // namespace

std::wstring CheckProfileXml(std::wstring_view xml, CheckedProfile& profile)
{
    std::wstring error;
    Parser parser(xml);
    const std::unique_ptr<Element> root = parser.Parse(error);
    if (!root) return L"not well-formed: " + error;
    if (root->name != L"WLANProfile") return L"root is not WLANProfile";
    bool hasNamespace = false;
    for (const auto& [name, value] : root->attributes) {
        if (name == L"xmlns") hasNamespace = value == kNamespace;
    }
    if (!hasNamespace) return L"not in the WLAN profile namespace";
    if (std::wstring error = CheckSchemaOrder(*root); !error.empty()) return error;

    if (!TextOf(root->Child(L"name"), profile.name) || profile.name.empty() || profile.name.size() > 255) {
        return L"bad profile name";
    }
    const Element* ssidConfig = root->Child(L"SSIDConfig");
    if (!TextOf(Path(ssidConfig, {L"SSID", L"name"}), profile.ssid)) return L"no SSID name";
    const size_t ssidBytes = ToUtf8(profile.ssid).size();
    if (ssidBytes == 0 || ssidBytes > 32) return L"SSID must be 1 to 32 bytes";
    if (!TextOf(root->Child(L"connectionType"), profile.connectionType) ||
        !IsOneOf(profile.connectionType, {L"ESS", L"IBSS"})) {
        return L"bad connectionType";
    }
    if (root->Count(L"connectionMode") &&
        (!TextOf(root->Child(L"connectionMode"), profile.connectionMode) ||
         !IsOneOf(profile.connectionMode, {L"auto", L"manual"}))) {
        return L"bad connectionMode";
    }
    if (!OptionalBoolean(root.get(), L"autoSwitch")) return L"bad autoSwitch";

    const Element* security = Path(root.get(), {L"MSM", L"security"});
    const Element* authEncryption = Path(security, {L"authEncryption"});
    if (!authEncryption) return L"no authEncryption";
    if (!TextOf(authEncryption->Child(L"authentication"), profile.authentication) ||
        !IsOneOf(profile.authentication, {L"open", L"shared", L"WPA", L"WPAPSK", L"WPA2", L"WPA2PSK"})) {
        return L"bad authentication";
    }
    if (!TextOf(authEncryption->Child(L"encryption"), profile.encryption) ||
        !IsOneOf(profile.encryption, {L"none", L"WEP", L"TKIP", L"AES"})) {
        return L"bad encryption";
    }
    if (!OptionalBoolean(authEncryption, L"useOneX")) return L"bad useOneX";
    const bool personal = profile.authentication == L"WPAPSK" || profile.authentication == L"WPA2PSK";
    if (personal && !IsOneOf(profile.encryption, {L"TKIP", L"AES"})) return L"encryption does not fit";
    if (profile.authentication == L"open" && !IsOneOf(profile.encryption, {L"none", L"WEP"})) {
        return L"encryption does not fit";
    }

    const Element* sharedKey = security->Child(L"sharedKey");
    if (personal && !sharedKey) return L"no sharedKey";
    if (sharedKey) {
        if (!TextOf(sharedKey->Child(L"keyType"), profile.keyType) ||
            !IsOneOf(profile.keyType, {L"networkKey", L"passPhrase"})) {
            return L"bad keyType";
        }
        if (!OptionalBoolean(sharedKey, L"protected")) return L"bad protected";
        std::wstring protectedText;
        profile.protectedKey = TextOf(sharedKey->Child(L"protected"), protectedText) && protectedText == L"true";
        if (!TextOf(sharedKey->Child(L"keyMaterial"), profile.keyMaterial)) return L"no keyMaterial";
        if (personal && profile.keyType == L"passPhrase" && !profile.protectedKey) {
            if (profile.keyMaterial.size() < 8 || profile.keyMaterial.size() > 63) {
                return L"passphrase must be 8 to 63 characters";
            }
            for (const wchar_t c : profile.keyMaterial) {
                if (c < 0x20 || c > 0x7E) return L"passphrase must be printable ASCII";
            }
        }
    }
    return {};
}

std::wstring AddUserProfile(WlanSimState& state, const std::wstring& xml, DWORD flags)
{
    CheckedProfile profile;
    std::wstring refusal = CheckProfileXml(xml, profile);
    if (!refusal.empty()) return refusal;
    if (profile.protectedKey) return L"a user's profile is given with its key in plain text";
    std::erase_if(state.profiles, [&](const WlanStoredProfile& stored) { return stored.name == profile.name; });
    state.profiles.push_back({profile.name, profile.ssid, profile.authentication, profile.keyMaterial, xml, flags});
    return {};
}

}  // namespace tapdeck::sim
