#pragma once
// "Command.Info": the commands the companion app asks the PC to carry out.
#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

#include "unique_handle.h"

namespace tapdeck {

struct Argument {
    std::wstring name;
    std::wstring value;
};

struct Command {
    std::wstring name;
    std::vector<Argument> arguments;
};

// Reads the commands of one document; true with the list filled, false
// with it empty. A document that does not end cleanly (a reader error, a
// truncated file) fails: it may be half written. So does one with more than
// 16 commands or 64 arguments in all: one file starts only a few programs.
bool ReadCommandStream(IStream* stream, std::vector<Command>& commands);

// One command file as it was read: the bytes parsed and an open handle, so
// that only that very content is ever deleted. A file rewritten after the
// read stays for the next notification.
class CommandFile {
public:
    enum class Deletion { Deleted, Changed, Held, Failed };

    // A document with more than 16 commands or 64 arguments in all fails
    // like a broken one. The file must be one name of a plain file.
    bool Read(const std::wstring& path, std::vector<Command>& commands);
    // Deletes the file when it still holds what was read; a read-only
    // attribute does not keep it. Closes it in every case: nothing of it may
    // stay open while its commands run. Only Deleted lets them run; Held
    // when its writer still has it open.
    Deletion DeleteIfUnchanged();
    // True after a read or deletion that its writer kept from the file: it
    // is worth trying again shortly.
    bool WriterHolds() const noexcept { return held_; }

private:
    std::wstring path_;
    bool held_ = false;
    unique_file file_;
    std::string bytes_;
};

}  // namespace tapdeck
