#include "command_file.h"

#include <shlwapi.h>

#include "bounded_read.h"
#include "com_ptr.h"
#include "companion_file_open.h"
#include "xml_node_reader.h"

namespace tapdeck {
namespace {

constexpr wchar_t kCommand[] = L"Command";
constexpr wchar_t kArgument[] = L"Argument";
constexpr wchar_t kArgumentList[] = L"ArgumentList";

enum class Scan { Done, Failed, Broken };

constexpr int kWriterWaits = 5;
constexpr DWORD kWriterWaitMs = 10;

// What one file may ask for: a few pictures, a disconnect or two. Every
// element counts, used or not.
constexpr size_t kMaxCommands = 16;
constexpr size_t kMaxArguments = 64;

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
// end tag, each counted in seen. Failed when nothing at all follows the start
// tag; Broken when the document breaks off meanwhile or holds too many.
Scan ScanArguments(XmlNodeReader& reader, std::vector<Argument>& arguments, size_t& seen)
{
    bool first = true;
    for (;;) {
        const XmlNodeReader::Step step = reader.Next();
        if (step == XmlNodeReader::Step::Error) return Scan::Broken;
        if (step == XmlNodeReader::Step::End) return first ? Scan::Failed : Scan::Done;
        if (reader.IsEndElementNamed(kArgumentList)) return first ? Scan::Failed : Scan::Done;
        first = false;
        if (reader.IsElementNamed(kArgument)) {
            if (++seen > kMaxArguments) return Scan::Broken;
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
    size_t arguments = 0;
    for (;;) {
        const XmlNodeReader::Step step = reader.Next();
        if (step == XmlNodeReader::Step::End) break;
        if (step == XmlNodeReader::Step::Error) {
            commands.clear();
            return false;
        }
        if (!reader.IsElementNamed(kCommand)) continue;
        if (++counted > kMaxCommands) {
            commands.clear();
            return false;
        }
        Command command;
        command.name = reader.Attribute(L"name");
        // The argument scan runs even for a nameless command, so that the
        // outer reading goes on where it ends.
        const Scan scan = ScanArguments(reader, command.arguments, arguments);
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

bool CommandFile::Read(const std::wstring& path, std::vector<Command>& commands)
{
    commands.clear();
    bytes_.clear();
    path_ = path;
    held_ = false;
    // Reading asks for no more than a writer shares by default; the deletion
    // step asks for the rest once the writer has let go.
    file_ = OpenCompanionFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (!file_) {
        held_ = ::GetLastError() == ERROR_SHARING_VIOLATION;
        return false;
    }
    if (!ReadBounded(file_.get(), bytes_)) return false;
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
        file = OpenCompanionFile(path_, GENERIC_READ | DELETE | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                 OPEN_EXISTING);
        if (!file && ::GetLastError() != ERROR_SHARING_VIOLATION) return Deletion::Failed;
        if (!file) ::Sleep(kWriterWaitMs);
    }
    // Still held by its writer, whose close may raise no notification.
    if (!file) {
        held_ = true;
        return Deletion::Held;
    }
    std::string now;
    if (!ReadBounded(file.get(), now)) return Deletion::Failed;
    if (now != bytes_) return Deletion::Changed;
    if (MarkForDeletion(file.get()) || (ClearReadOnly(file.get()) && MarkForDeletion(file.get())))
        return Deletion::Deleted;
    return Deletion::Failed;
}

}  // namespace tapdeck
