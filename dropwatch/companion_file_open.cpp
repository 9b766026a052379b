#include "companion_file_open.h"

namespace tapdeck {

unique_file OpenCompanionFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition)
{
    if (path.empty()) {
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        return {};
    }
    // The link itself is opened, never what it points at.
    unique_file file(::CreateFileW(path.c_str(), access | FILE_READ_ATTRIBUTES, share, nullptr, disposition,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return file;
    // Two queries of the file alone: GetFileInformationByHandle would also
    // ask the volume for its serial number, a round trip to the volume's
    // driver for every file the app leaves.
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    if (!::GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof(basic)) ||
        !::GetFileInformationByHandleEx(file.get(), FileStandardInfo, &standard, sizeof(standard)) ||
        (basic.FileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) || standard.Directory ||
        standard.NumberOfLinks > 1) {
        file.reset();
        ::SetLastError(ERROR_ACCESS_DENIED);
    }
    return file;
}

}  // namespace tapdeck
