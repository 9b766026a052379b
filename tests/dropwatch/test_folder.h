#pragma once
// A fresh folder under the temporary folder, removed with everything in it,
// and the small file helpers the tests share.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>

#include "companion_files.h"
#include "support/process.h"
#include "unique_handle.h"

namespace tapdeck::test {

class TestFolder {
public:
    explicit TestFolder(const wchar_t* tag);
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::wstring& Path() const noexcept { return path_; }
    std::wstring Join(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

inline bool WriteBytes(const std::wstring& path, const std::string& bytes);
inline bool ReadBytes(const std::wstring& path, std::string& bytes);
inline bool Exists(const std::wstring& path);
using sim::RemoveTree;
// Writes the file again and again until the condition holds (ten seconds
// at most): a write made before the watcher issued its first read is not
// reported.
inline bool WriteUntil(const std::wstring& path, const std::string& bytes, const std::function<bool()>& done)
{
    for (int attempt = 0; attempt < 40; ++attempt) {
        WriteBytes(path, bytes);
        if (WaitUntil(done, std::chrono::milliseconds(250))) return true;
    }
    return false;
}
// The text as UTF-16 bytes behind their byte order mark.
inline std::string Utf16WithBom(const std::wstring& text)
{
    return std::string("\xFF\xFE") + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

inline TestFolder::TestFolder(const wchar_t* tag)
{
    static std::atomic<int> serial{0};
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"tapdeck-" + tag + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(serial++);
    RemoveTree(path_);
    ::CreateDirectoryW(path_.c_str(), nullptr);
}

inline TestFolder::~TestFolder() { RemoveTree(path_); }

inline bool WriteBytes(const std::wstring& path, const std::string& bytes)
{
    unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

inline bool ReadBytes(const std::wstring& path, std::string& bytes)
{
    bytes.clear();
    unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char chunk[4096];
    DWORD read = 0;
    while (::ReadFile(file.get(), chunk, sizeof(chunk), &read, nullptr) && read > 0) bytes.append(chunk, read);
    return true;
}

inline bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace tapdeck::test
