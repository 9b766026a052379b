#pragma once
// The Shell Link binary format (.lnk) as far as the stand-in and the tests
// need it: the layout of a link, its target and arguments, and its property
// store data block (signature 0xA0000009) in serialized property storage form.
#include <windows.h>
#include <wtypes.h>
#include <string>
#include <vector>

namespace tapdeck::sim {

constexpr DWORD kPropertyStoreBlockSignature = 0xA0000009;

// One stored property; only text (VT_LPWSTR), 32-bit unsigned (VT_UI4) and
// boolean (VT_BOOL) values are kept.
struct LinkProperty {
    GUID formatId{};
    DWORD id = 0;
    VARTYPE type = VT_EMPTY;
    std::wstring text;
    DWORD number = 0;
};

struct LinkLayout {
    DWORD flags = 0;
    std::wstring localBasePath;  // the target as the link's location information names it
    std::wstring arguments;
    std::vector<LinkProperty> properties;
    size_t extraDataStart = 0;   // first extra data block
    size_t terminalBlock = 0;    // the terminal block (a size below 4)
};

// False when the bytes are not a complete link.
bool ParseLink(const std::vector<BYTE>& link, LinkLayout& layout);

// The link with its property store block replaced by one holding these
// properties (none: no block).
std::vector<BYTE> WithProperties(const std::vector<BYTE>& link, const std::vector<LinkProperty>& properties);

std::vector<BYTE> SerializePropertyStore(const std::vector<LinkProperty>& properties);
bool ParsePropertyStore(const BYTE* data, size_t size, std::vector<LinkProperty>& properties);

std::vector<BYTE> ReadWholeFile(const std::wstring& path);

}  // namespace tapdeck::sim
