#include "companion_profile.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdlib>

#include "com_ptr.h"
#include "compare_no_case.h"
#include "known_folder.h"
#include "product_names.h"
#include "xml_no_element.h"
#include "xml_node_reader.h"

namespace tapdeck {
namespace {

constexpr wchar_t kAppInfo[] = L"AppInfo";
constexpr const wchar_t* kAttributes[] = {L"PackageFamilyName", L"AppUserModelID", L"WiFiConnectRetryTimes",
                                          L"WiFiConnectRetryInterval"};

// An entry when all four attributes are there and non-empty; each is read
// only when the one before it was.
bool ReadAppInfo(const XmlNodeReader& reader, AppInfoEntry& entry)
{
    std::wstring values[4];
    for (size_t i = 0; i < 4; ++i) {
        values[i] = reader.Attribute(kAttributes[i]);
        if (values[i].empty()) return false;
    }
    entry.packageFamilyName = values[0];
    entry.appUserModelId = values[1];
    entry.retryTimes = _wtoi(values[2].c_str());
    entry.retryInterval = _wtoi(values[3].c_str());
    return true;
}

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
    XmlNodeReader reader;
    if (!reader.Open(stream.get())) return HoldsNoElement(stream.get());

    size_t appInfoCount = 0;
    // An error ends the document like its end.
    while (reader.Next() == XmlNodeReader::Step::Node) {
        if (reader.Type() != XmlNodeType_Element) continue;
        std::wstring name;
        if (!reader.LocalName(name)) {
            entries_.clear();
            return false;
        }
        if (!EqualsNoCase(name, kAppInfo)) continue;
        ++appInfoCount;
        AppInfoEntry entry;
        if (ReadAppInfo(reader, entry)) entries_.push_back(std::move(entry));
    }

    if (appInfoCount == entries_.size()) return true;
    entries_.clear();
    return false;
}

std::wstring InstalledProfilePath() { return InstalledPath(kProfileFile); }

}  // namespace tapdeck
