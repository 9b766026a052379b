#include "payload.h"

#include <cstring>

#include "unique_handle.h"

namespace tapdeck::setup {
namespace {

constexpr char kMagic[8] = {'T', 'P', 'D', 'P', 'A', 'Y', '0', '1'};

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty()) return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0);
    if (size <= 0) return {};
    std::wstring out(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

// A payload path must stay inside the install folder.
bool IsSafeRelativePath(const std::wstring& path)
{
    if (path.empty() || path[0] == L'\\' || path.find(L':') != std::wstring::npos || path.find(L'/') != std::wstring::npos)
        return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        const std::wstring part = path.substr(start, end - start);
        if (part.empty() || part == L"." || part == L"..") return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

bool ReadPayload(const std::wstring& programPath, std::vector<PayloadFile>& files)
{
    files.clear();
    unique_file file(::CreateFileW(programPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 16 || size.QuadPart > (512LL << 20)) return false;
    std::vector<BYTE> image(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file.get(), image.data(), static_cast<DWORD>(image.size()), &read, nullptr) ||
        read != image.size())
        return false;
    if (std::memcmp(image.data() + image.size() - 8, kMagic, 8) != 0) return false;
    uint64_t start = 0;
    std::memcpy(&start, image.data() + image.size() - 16, 8);
    const size_t end = image.size() - 16;
    if (start > end) return false;

    for (size_t at = static_cast<size_t>(start); at < end;) {
        uint32_t pathBytes = 0;
        uint64_t fileBytes = 0;
        if (end - at < 4) return false;
        std::memcpy(&pathBytes, image.data() + at, 4);
        at += 4;
        if (end - at < pathBytes + 8ull) return false;
        PayloadFile entry;
        entry.relativePath = FromUtf8(std::string(reinterpret_cast<const char*>(image.data() + at), pathBytes));
        at += pathBytes;
        std::memcpy(&fileBytes, image.data() + at, 8);
        at += 8;
        if (end - at < fileBytes || !IsSafeRelativePath(entry.relativePath)) return false;
        entry.bytes.assign(image.begin() + static_cast<std::ptrdiff_t>(at),
                           image.begin() + static_cast<std::ptrdiff_t>(at + fileBytes));
        at += static_cast<size_t>(fileBytes);
        files.push_back(std::move(entry));
    }
    return !files.empty();
}

}  // namespace tapdeck::setup
