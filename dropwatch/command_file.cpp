#include "command_file.h"

#include <shlwapi.h>

#include "bounded_read.h"
#include "com_ptr.h"
#include "xml_node_reader.h"

namespace tapdeck {
namespace {

constexpr wchar_t kCommand[] = L"Command";
constexpr wchar_t kArgument[] = L"Argument";
constexpr wchar_t kArgumentList[] = L"ArgumentList";

enum class Scan { Done, Failed, Broken };

constexpr int kWriterWaits = 5;
constexpr DWORD kWriterWaitMs = 10;

bool MarkForDeletion(HANDLE file)
{
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

// A read-only file cannot be marked for deletion; the app hands every
// command file over to be deleted all the same.
bool ClearReadOnly(HANDLE file)
{
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof(basic)) ||
        !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY))
        return false;
    // Zero times are left as they are; zero attributes would be too.
    basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = 0;
    basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
    basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return ::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

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

bool CommandFile::Read(const std::wstring& path, std::vector<Command>& commands)
{
    commands.clear();
    bytes_.clear();
    path_ = path;
    if (path.empty()) return false;
    file_.reset(::CreateFileW(path.c_str(), GENERIC_READ | DELETE | FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_ || !ReadBounded(file_.get(), bytes_)) return false;
    com_ptr<IStream> stream = MemoryStream(bytes_);
    return stream && ReadCommandStream(stream.get(), commands);
}

// Writers are kept out from the compare until the file is gone: a rewrite
// landing in between would otherwise be deleted with the content it
// replaced. A writer that still holds the file is given a moment to finish.
CommandFile::Deletion CommandFile::DeleteIfUnchanged()
{
    // The read handle goes first: the deletion takes effect at the last
    // close, and no handle but the one that keeps writers out may be last.
    if (!file_) return Deletion::Failed;
    file_.reset();
    unique_file file;
    for (int attempt = 0; attempt < kWriterWaits && !file; ++attempt) {
        file.reset(::CreateFileW(path_.c_str(), GENERIC_READ | DELETE | FILE_WRITE_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        if (!file && ::GetLastError() != ERROR_SHARING_VIOLATION) return Deletion::Failed;
        if (!file) ::Sleep(kWriterWaitMs);
    }
    // Still being written: its own write will be read at its notification.
    if (!file) return Deletion::Changed;
    std::string now;
    if (!ReadBounded(file.get(), now)) return Deletion::Failed;
    if (now != bytes_) return Deletion::Changed;
    if (MarkForDeletion(file.get()) || (ClearReadOnly(file.get()) && MarkForDeletion(file.get())))
        return Deletion::Deleted;
    return Deletion::Failed;
}

}  // namespace tapdeck
