#include "message_type_rules.h"

namespace tapdeck::sim {
namespace {

enum class Subtype { None, Needed };
enum Use : unsigned { kSubscribe = 1, kPublish = 2 };

struct Protocol {
    std::wstring_view name;
    Subtype subtype;
    unsigned uses;
};

constexpr Protocol kProtocols[] = {
    {L"Windows", Subtype::Needed, kSubscribe | kPublish},
    {L"WindowsMime", Subtype::Needed, kSubscribe | kPublish},
    {L"NDEF:ext", Subtype::Needed, kSubscribe | kPublish},
    {L"WindowsUri", Subtype::None, kSubscribe | kPublish},
    {L"NDEF", Subtype::None, kSubscribe | kPublish},
    {L"WriteableTag", Subtype::None, kSubscribe},
    {L"WindowsMime", Subtype::None, kSubscribe},
    {L"NDEF:MIME", Subtype::Needed, kSubscribe},
    {L"NDEF:URI", Subtype::Needed, kSubscribe},
    {L"NDEF:wkt", Subtype::Needed, kSubscribe},
    {L"NDEF:Unknown", Subtype::None, kSubscribe},
    {L"Pairing:Bluetooth", Subtype::None, kSubscribe},
    {L"Windows:WriteTag", Subtype::Needed, kPublish},
    {L"WindowsUri:WriteTag", Subtype::None, kPublish},
    {L"WindowsMime:WriteTag", Subtype::Needed, kPublish},
    {L"LaunchApp:WriteTag", Subtype::None, kPublish},
    {L"NDEF:WriteTag", Subtype::None, kPublish},
};

constexpr size_t kMaxSubtype = 250;

bool IsSubtypeCharacter(wchar_t c)
{
    if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) return true;
    return std::wstring_view(L"-._~:/?#[]@!$&'()*+,;=%").find(c) != std::wstring_view::npos;
}

bool IsSubtype(std::wstring_view subtype)
{
    if (subtype.empty() || subtype.size() > kMaxSubtype) return false;
    for (wchar_t c : subtype)
        if (!IsSubtypeCharacter(c)) return false;
    return true;
}

bool Takes(std::wstring_view type, unsigned use)
{
    // No protocol holds a dot: the first one ends it.
    const size_t dot = type.find(L'.');
    const std::wstring_view name = type.substr(0, dot);
    for (const Protocol& protocol : kProtocols) {
        if (protocol.name != name || !(protocol.uses & use)) continue;
        if (protocol.subtype == Subtype::None ? dot == std::wstring_view::npos
                                              : dot != std::wstring_view::npos && IsSubtype(type.substr(dot + 1)))
            return true;
    }
    return false;
}

}  // namespace

bool IsSubscribableType(std::wstring_view type) { return Takes(type, kSubscribe); }

bool IsPublishableType(std::wstring_view type) { return Takes(type, kPublish); }

}  // namespace tapdeck::sim
