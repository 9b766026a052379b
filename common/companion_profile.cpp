#include "companion_profile.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <cstdlib>

#include "com_ptr.h"
#include "product_names.h"
#include "known_folder.h"
#include "compare_no_case.h"
#include "xml_no_element.h"

namespace tapdeck {
namespace {

constexpr wchar_t kAppInfo[] = L"AppInfo";
constexpr const wchar_t* kAttributes[] = {L"PackageFamilyName", L"AppUserModelID", L"WiFiConnectRetryTimes",
                                          L"WiFiConnectRetryInterval"};

// The attribute's text, empty when it is missing or unreadable.
std::wstring AttributeValue(IXmlReader* reader, const wchar_t* name)
{
    if (reader->MoveToAttributeByName(name, nullptr) != S_OK) return {};
    const wchar_t* value = nullptr;
    UINT length = 0;
    if (FAILED(reader->GetValue(&value, &length)) || !value) return {};
    return std::wstring(value, length);
}

// An entry when all four attributes are there and non-empty; each is read
// only when the one before it was.
bool ReadAppInfo(IXmlReader* reader, AppInfoEntry& entry)
{
    std::wstring values[4];
    for (size_t i = 0; i < 4; ++i) {
        values[i] = AttributeValue(reader, kAttributes[i]);
        if (values[i].empty()) return false;
    }
    entry.packageFamilyName = values[0];
    entry.appUserModelId = values[1];
    entry.retryTimes = _wtoi(values[2].c_str());
    entry.retryInterval = _wtoi(values[3].c_str());
    return true;
}

// Where the reader stands, to tell a read that moved on from one that did not.
struct ReaderPosition {
    UINT line = 0;
    UINT column = 0;
    XmlNodeType type = XmlNodeType_None;

    static ReaderPosition Of(IXmlReader* reader, XmlNodeType type)
    {
        ReaderPosition position;
        position.type = type;
        reader->GetLineNumber(&position.line);
        reader->GetLinePosition(&position.column);
        return position;
    }
    bool operator==(const ReaderPosition&) const = default;
};

}  // namespace

bool CompanionProfileReader::ReadProfile(const std::wstring& path)
{
    entries_.clear();
    if (path.empty() || !::PathFileExistsW(path.c_str())) return false;

    com_ptr<IStream> stream;
    if (FAILED(::SHCreateStreamOnFileEx(path.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, FILE_ATTRIBUTE_NORMAL, FALSE,
                                        nullptr, stream.put())) ||
        !stream)
        return false;
    // No element at all: the reading ends at once.
    if (HoldsNoElement(stream.get())) return true;

    com_ptr<IXmlReader> reader;
    if (FAILED(::CreateXmlReader(__uuidof(IXmlReader), reader.put_void(), nullptr)) || !reader) return false;
    if (FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit))) return false;
    if (FAILED(reader->SetInput(stream.get()))) return false;

    size_t appInfoCount = 0;
    long depth = 0;
    ReaderPosition last;
    XmlNodeType type = XmlNodeType_None;
    // An error ends the document. Some readers answer a file cut off inside
    // text or a comment with success forever without moving on, so a read
    // that leaves the reader where it was ends it too, and so does the end
    // of the root element.
    while (reader->Read(&type) == S_OK) {
        const ReaderPosition here = ReaderPosition::Of(reader.get(), type);
        if (here == last) break;
        last = here;
        if (type == XmlNodeType_EndElement) {
            if (--depth <= 0) break;
            continue;
        }
        if (type != XmlNodeType_Element) continue;
        const bool empty = reader->IsEmptyElement() != FALSE;
        const wchar_t* name = nullptr;
        if (FAILED(reader->GetLocalName(&name, nullptr)) || !name) {
            entries_.clear();
            return false;
        }
        if (EqualsNoCase(name, kAppInfo)) {
            ++appInfoCount;
            AppInfoEntry entry;
            if (ReadAppInfo(reader.get(), entry)) entries_.push_back(std::move(entry));
        }
        if (!empty) {
            ++depth;
        } else if (depth == 0) {
            break;  // an empty root element is the whole document
        }
    }

    if (appInfoCount == entries_.size()) return true;
    entries_.clear();
    return false;
}

std::wstring InstalledProfilePath() { return InstalledPath(kProfileFile); }

}  // namespace tapdeck
