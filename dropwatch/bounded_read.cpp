#include "bounded_read.h"

#include <shlwapi.h>

namespace tapdeck {

bool ReadBounded(HANDLE file, std::string& bytes)
{
    bytes.clear();
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
    char chunk[4096];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file, chunk, sizeof(chunk), &read, nullptr)) return false;
        if (read == 0) return true;
        if (bytes.size() + read > kMaxCompanionFileBytes) {
            bytes.clear();
            return false;
        }
        bytes.append(chunk, read);
    }
}

com_ptr<IStream> MemoryStream(const std::string& bytes)
{
    return com_ptr<IStream>::attach(
        ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
}

}  // namespace tapdeck
