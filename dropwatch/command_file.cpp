#include "command_file.h"

#include <shlwapi.h>

#include "com_ptr.h"
#include "xml_node_reader.h"

namespace tapdeck {
namespace {

constexpr wchar_t kCommand[] = L"Command";
constexpr wchar_t kArgument[] = L"Argument";
constexpr wchar_t kArgumentList[] = L"ArgumentList";

enum class Scan { Done, Failed, Broken };

// The arguments after a "Command" start tag, up to the first "ArgumentList"
// end tag. Failed when nothing at all follows the start tag; Broken when the
// document breaks off meanwhile.
Scan ScanArguments(XmlNodeReader& reader, std::vector<Argument>& arguments)
{
    bool first = true;
    for (;;) {
        const XmlNodeReader::Step step = reader.Next();
        if (step == XmlNodeReader::Step::Error) return Scan::Broken;
        if (step == XmlNodeReader::Step::End) return first ? Scan::Failed : Scan::Done;
        if (reader.IsEndElementNamed(kArgumentList)) return first ? Scan::Failed : Scan::Done;
        first = false;
        if (reader.IsElementNamed(kArgument)) {
            Argument argument{reader.Attribute(L"name"), reader.Attribute(L"value")};
            if (!argument.name.empty() && !argument.value.empty()) arguments.push_back(std::move(argument));
        }
    }
}

}  // namespace

bool ReadCommandStream(IStream* stream, std::vector<Command>& commands)
{
    commands.clear();
    XmlNodeReader reader;
    if (!reader.Open(stream)) return false;

    size_t counted = 0;
    for (;;) {
        const XmlNodeReader::Step step = reader.Next();
        if (step == XmlNodeReader::Step::End) break;
        if (step == XmlNodeReader::Step::Error) {
            commands.clear();
            return false;
        }
        if (!reader.IsElementNamed(kCommand)) continue;
        ++counted;
        Command command;
        command.name = reader.Attribute(L"name");
        // The argument scan runs even for a nameless command, so that the
        // outer reading goes on where it ends.
        const Scan scan = ScanArguments(reader, command.arguments);
        if (scan == Scan::Broken) {
            commands.clear();
            return false;
        }
        if (!command.name.empty() && scan == Scan::Done) commands.push_back(std::move(command));
    }
    if (counted != commands.size()) {
        commands.clear();
        return false;
    }
    return true;
}

bool ReadCommandFile(const std::wstring& path, std::vector<Command>& commands)
{
    commands.clear();
    if (path.empty() || !::PathFileExistsW(path.c_str())) return false;
    com_ptr<IStream> stream;
    if (FAILED(::SHCreateStreamOnFileEx(path.c_str(), STGM_READ | STGM_SHARE_DENY_NONE, FILE_ATTRIBUTE_NORMAL, FALSE,
                                        nullptr, stream.put())))
        return false;
    return ReadCommandStream(stream.get(), commands);
}

bool CommandFile::ReadAll(std::string& bytes) const
{
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file_.get(), &size) || size.QuadPart > kMaxBytes) return false;
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN)) return false;
    // One byte more than the size: a file that grew is seen as different.
    bytes.assign(static_cast<size_t>(size.QuadPart) + 1, '\0');
    DWORD total = 0;
    while (total < bytes.size()) {
        DWORD read = 0;
        if (!::ReadFile(file_.get(), bytes.data() + total, static_cast<DWORD>(bytes.size()) - total, &read, nullptr))
            return false;
        if (read == 0) break;
        total += read;
    }
    bytes.resize(total);
    return true;
}

bool CommandFile::Read(const std::wstring& path, std::vector<Command>& commands)
{
    commands.clear();
    bytes_.clear();
    if (path.empty()) return false;
    file_.reset(::CreateFileW(path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_ || !ReadAll(bytes_)) return false;
    com_ptr<IStream> stream = com_ptr<IStream>::attach(
        ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes_.data()), static_cast<UINT>(bytes_.size())));
    return stream && ReadCommandStream(stream.get(), commands);
}

void CommandFile::DeleteIfUnchanged()
{
    std::string now;
    if (!file_ || !ReadAll(now) || now != bytes_) return;
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    ::SetFileInformationByHandle(file_.get(), FileDispositionInfo, &disposition, sizeof(disposition));
    file_.reset();
}

}  // namespace tapdeck
