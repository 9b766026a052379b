#include "session_info.h"

#include <objidl.h>
#include <shlwapi.h>

#include "bounded_read.h"
#include "com_ptr.h"
#include "companion_file_open.h"
#include "compare_no_case.h"
#include "monitor_state.h"
#include "unique_handle.h"
#include "xml_node_reader.h"

namespace tapdeck {

bool OnAppInfoChanged(MonitorState& state, const std::wstring& packageFamilyName)
{
    std::wstring request;
    if (!state.Paths().LocalStateFile(packageFamilyName, L"App.Info", request)) return false;
    if (!::PathFileExistsW(request.c_str())) return false;
    std::wstring id;
    bool held = false;
    if (!ReadSessionId(request, id, &held)) return held;
    std::wstring installStatus;
    std::wstring version;
    FillPhotoshopInfo(state.Photoshop(), installStatus, version);
    std::wstring reply;
    if (!state.Paths().LocalStateFile(packageFamilyName, L"Session.info", reply)) return false;
    WriteSessionInfo(reply, id, installStatus, version);
    return false;
}

bool ReadSessionId(const std::wstring& path, std::wstring& id, bool* held)
{
    id.clear();
    if (held) *held = false;
    unique_file file = OpenCompanionFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         OPEN_EXISTING);
    if (!file && held) *held = ::GetLastError() == ERROR_SHARING_VIOLATION;
    std::string bytes;
    if (!file || !ReadBounded(file.get(), bytes)) return false;
    file.reset();
    XmlNodeReader reader;
    if (!reader.Open(MemoryStream(bytes).get())) return false;

    bool seen = false;
    while (reader.Next() == XmlNodeReader::Step::Node) {
        if (reader.Type() == XmlNodeType_Element) {
            std::wstring name;
            if (!reader.LocalName(name)) return false;
            if (EqualsNoCase(name, L"SessionID")) seen = true;
        } else if (reader.Type() == XmlNodeType_Text && seen) {
            if (!reader.Value(id)) return false;
            // A file that breaks off in the text may hold only part of the
            // identifier; its writer's next write is answered instead.
            if (reader.Next() != XmlNodeReader::Step::Node) id.clear();
            break;
        }
    }
    return !id.empty();
}

void FillPhotoshopInfo(PhotoshopElements& photoshop, std::wstring& installStatus, std::wstring& version)
{
    version.clear();
    if (photoshop.IsPhotoshopInstalled()) {
        installStatus = L"1";
        photoshop.GetPhotoshopVersion(version);
    } else {
        installStatus = L"0";
    }
}

namespace {

// The blanks and line ends only lay the document out: a writer that refuses
// one (some refuse whitespace before the root element) still gets the rest
// of the document, and a failing output shows at the next markup call.
void WriteLayout(IXmlWriter* writer, const wchar_t* whitespace) { writer->WriteWhitespace(whitespace); }

}  // namespace

HRESULT WriteSessionDocument(IXmlWriter* writer, const std::wstring& id, const std::wstring& installStatus,
                             const std::wstring& version)
{
    HRESULT hr;
    if (FAILED(hr = writer->WriteStartDocument(XmlStandalone_Omit))) return hr;
    WriteLayout(writer, L"\n");
    if (FAILED(hr = writer->WriteStartElement(nullptr, L"SessionInfo", nullptr))) return hr;
    WriteLayout(writer, L"\n");
    WriteLayout(writer, L"    ");
    if (FAILED(hr = writer->WriteStartElement(nullptr, L"SessionID", nullptr))) return hr;
    if (FAILED(hr = writer->WriteString(id.c_str()))) return hr;
    if (FAILED(hr = writer->WriteFullEndElement())) return hr;
    WriteLayout(writer, L"\n");
    WriteLayout(writer, L"    ");
    if (FAILED(hr = writer->WriteStartElement(nullptr, L"PSInfo", nullptr))) return hr;
    WriteLayout(writer, L"\n");
    WriteLayout(writer, L"        ");
    if (FAILED(hr = writer->WriteStartElement(nullptr, L"InstallStatus", nullptr))) return hr;
    if (FAILED(hr = writer->WriteString(installStatus.c_str()))) return hr;
    if (FAILED(hr = writer->WriteFullEndElement())) return hr;
    WriteLayout(writer, L"\n");
    WriteLayout(writer, L"        ");
    if (FAILED(hr = writer->WriteStartElement(nullptr, L"Version", nullptr))) return hr;
    if (FAILED(hr = writer->WriteString(version.c_str()))) return hr;
    if (FAILED(hr = writer->WriteFullEndElement())) return hr;
    WriteLayout(writer, L"\n");
    WriteLayout(writer, L"    ");
    if (FAILED(hr = writer->WriteFullEndElement())) return hr;
    WriteLayout(writer, L"\n");
    if (FAILED(hr = writer->WriteEndDocument())) return hr;
    if (FAILED(hr = writer->Flush())) return hr;
    return hr;
}

// The document is made in memory first: the file is opened only as one
// plain file of its own, which a stream over a path cannot promise.
bool WriteSessionInfo(const std::wstring& path, const std::wstring& id, const std::wstring& installStatus,
                      const std::wstring& version)
{
    com_ptr<IStream> stream = com_ptr<IStream>::attach(::SHCreateMemStream(nullptr, 0));
    if (!stream) return false;
    {
        com_ptr<IXmlWriter> writer;
        if (FAILED(::CreateXmlWriter(__uuidof(IXmlWriter), writer.put_void(), nullptr)) || !writer) return false;
        if (FAILED(writer->SetOutput(stream.get()))) return false;
        if (FAILED(WriteSessionDocument(writer.get(), id, installStatus, version))) return false;
    }
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > kMaxCompanionFileBytes) return false;
    std::string bytes(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    ULONG read = 0;
    const LARGE_INTEGER start{};
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
        FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)) || read != bytes.size())
        return false;

    unique_file file = OpenCompanionFile(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
    DWORD written = 0;
    return file && ::SetEndOfFile(file.get()) &&
           ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace tapdeck
