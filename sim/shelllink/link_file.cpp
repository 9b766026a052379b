#include "link_file.h"

#include <algorithm>
#include <cstring>

#include "unique_handle.h"

namespace tapdeck::sim {
namespace {

constexpr DWORD kHeaderSize = 0x4C;
constexpr DWORD kHasLinkTargetIdList = 0x1;
constexpr DWORD kHasLinkInfo = 0x2;
constexpr DWORD kIsUnicode = 0x80;
constexpr DWORD kStorageVersion = 0x53505331;  // "1SPS"

class Reader {
public:
    Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}
    bool Has(size_t bytes) const { return pos_ <= size_ && size_ - pos_ >= bytes; }
    template <typename T>
    bool Take(T& value)
    {
        if (!Has(sizeof(T))) return false;
        std::memcpy(&value, data_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return true;
    }
    bool Skip(size_t bytes)
    {
        if (!Has(bytes)) return false;
        pos_ += bytes;
        return true;
    }
    size_t pos() const { return pos_; }
    const BYTE* here() const { return data_ + pos_; }

private:
    const BYTE* data_;
    size_t size_;
    size_t pos_ = 0;
};

template <typename T>
void Put(std::vector<BYTE>& out, T value)
{
    const auto* bytes = reinterpret_cast<const BYTE*>(&value);
    out.insert(out.end(), bytes, bytes + sizeof(T));
}

void PutAt(std::vector<BYTE>& out, size_t at, DWORD value) { std::memcpy(out.data() + at, &value, sizeof(value)); }

std::wstring AnsiAt(const BYTE* base, size_t size, size_t offset)
{
    std::string text;
    for (size_t i = offset; i < size && base[i]; ++i) text += static_cast<char>(base[i]);
    std::wstring wide(text.size(), L'\0');
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                        static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return wide;
}

bool ParseLinkInfo(const BYTE* info, size_t size, std::wstring& path)
{
    Reader r(info, size);
    DWORD total = 0, headerSize = 0, flags = 0, volumeOffset = 0, baseOffset = 0, networkOffset = 0,
          suffixOffset = 0;
    if (!r.Take(total) || !r.Take(headerSize) || !r.Take(flags) || !r.Take(volumeOffset) || !r.Take(baseOffset) ||
        !r.Take(networkOffset) || !r.Take(suffixOffset))
        return false;
    if (!(flags & 0x1) || baseOffset >= size) return true;  // no local path: not a file target
    path = AnsiAt(info, size, baseOffset);
    if (suffixOffset && suffixOffset < size) path += AnsiAt(info, size, suffixOffset);
    return true;
}

}  // namespace

bool ParseLink(const std::vector<BYTE>& link, LinkLayout& layout)
{
    layout = {};
    Reader r(link.data(), link.size());
    DWORD headerSize = 0;
    if (!r.Take(headerSize) || headerSize != kHeaderSize) return false;
    if (!r.Skip(16) || !r.Take(layout.flags) || !r.Skip(kHeaderSize - 24)) return false;

    if (layout.flags & kHasLinkTargetIdList) {
        WORD idListSize = 0;
        if (!r.Take(idListSize) || !r.Skip(idListSize)) return false;
    }
    if (layout.flags & kHasLinkInfo) {
        DWORD infoSize = 0;
        if (!r.Has(4)) return false;
        std::memcpy(&infoSize, r.here(), 4);
        if (infoSize < 4 || !r.Has(infoSize)) return false;
        if (!ParseLinkInfo(r.here(), infoSize, layout.localBasePath)) return false;
        r.Skip(infoSize);
    }
    // Name, relative path, working directory, arguments, icon location.
    const bool unicode = (layout.flags & kIsUnicode) != 0;
    for (DWORD bit = 0x4; bit <= 0x40; bit <<= 1) {
        if (!(layout.flags & bit)) continue;
        WORD count = 0;
        if (!r.Take(count)) return false;
        const size_t bytes = unicode ? count * sizeof(wchar_t) : count;
        if (!r.Has(bytes)) return false;
        if (bit == 0x20) {
            if (unicode) layout.arguments.assign(reinterpret_cast<const wchar_t*>(r.here()), count);
            else layout.arguments = AnsiAt(r.here(), count, 0);
            // Wine counts the terminating NUL of the string it stores.
            layout.arguments.resize(std::min(layout.arguments.size(), layout.arguments.find(L'\0')));
        }
        r.Skip(bytes);
    }

    layout.extraDataStart = r.pos();
    for (;;) {
        DWORD blockSize = 0, signature = 0;
        const size_t start = r.pos();
        if (!r.Has(4)) return false;
        std::memcpy(&blockSize, r.here(), 4);
        if (blockSize < 4) {
            layout.terminalBlock = start;
            return true;
        }
        if (blockSize < 8 || !r.Has(blockSize)) return false;
        std::memcpy(&signature, r.here() + 4, 4);
        if (signature == kPropertyStoreBlockSignature &&
            !ParsePropertyStore(r.here() + 8, blockSize - 8, layout.properties))
            return false;
        r.Skip(blockSize);
    }
}

std::vector<BYTE> WithProperties(const std::vector<BYTE>& link, const std::vector<LinkProperty>& properties)
{
    LinkLayout layout;
    if (!ParseLink(link, layout)) return link;
    std::vector<BYTE> out(link.begin(), link.begin() + static_cast<std::ptrdiff_t>(layout.extraDataStart));
    // Keep every other extra block as it was.
    for (size_t at = layout.extraDataStart; at < layout.terminalBlock;) {
        DWORD blockSize = 0, signature = 0;
        std::memcpy(&blockSize, link.data() + at, 4);
        std::memcpy(&signature, link.data() + at + 4, 4);
        if (signature != kPropertyStoreBlockSignature)
            out.insert(out.end(), link.begin() + static_cast<std::ptrdiff_t>(at),
                       link.begin() + static_cast<std::ptrdiff_t>(at + blockSize));
        at += blockSize;
    }
    if (!properties.empty()) {
        const std::vector<BYTE> store = SerializePropertyStore(properties);
        Put<DWORD>(out, static_cast<DWORD>(8 + store.size()));
        Put<DWORD>(out, kPropertyStoreBlockSignature);
        out.insert(out.end(), store.begin(), store.end());
    }
    out.insert(out.end(), link.begin() + static_cast<std::ptrdiff_t>(layout.terminalBlock), link.end());
    return out;
}

std::vector<BYTE> SerializePropertyStore(const std::vector<LinkProperty>& properties)
{
    std::vector<BYTE> out;
    std::vector<GUID> formats;
    for (const auto& p : properties) {
        bool seen = false;
        for (const auto& f : formats) seen = seen || ::IsEqualGUID(f, p.formatId);
        if (!seen) formats.push_back(p.formatId);
    }
    for (const auto& format : formats) {
        const size_t storageStart = out.size();
        Put<DWORD>(out, 0);
        Put<DWORD>(out, kStorageVersion);
        Put<GUID>(out, format);
        for (const auto& p : properties) {
            if (!::IsEqualGUID(p.formatId, format)) continue;
            const size_t valueStart = out.size();
            Put<DWORD>(out, 0);
            Put<DWORD>(out, p.id);
            Put<BYTE>(out, 0);
            Put<WORD>(out, p.type);
            Put<WORD>(out, 0);
            if (p.type == VT_LPWSTR) {
                Put<DWORD>(out, static_cast<DWORD>(p.text.size() + 1));
                for (wchar_t c : p.text) Put<wchar_t>(out, c);
                Put<wchar_t>(out, L'\0');
                while ((out.size() - valueStart - 9) % 4) out.push_back(0);
            } else if (p.type == VT_BOOL) {
                Put<WORD>(out, p.number ? 0xFFFF : 0);
                Put<WORD>(out, 0);
            } else {
                Put<DWORD>(out, p.number);
            }
            PutAt(out, valueStart, static_cast<DWORD>(out.size() - valueStart));
        }
        Put<DWORD>(out, 0);
        PutAt(out, storageStart, static_cast<DWORD>(out.size() - storageStart));
    }
    Put<DWORD>(out, 0);
    return out;
}

bool ParsePropertyStore(const BYTE* data, size_t size, std::vector<LinkProperty>& properties)
{
    Reader r(data, size);
    for (;;) {
        const size_t storageStart = r.pos();
        DWORD storageSize = 0, version = 0;
        GUID format{};
        if (!r.Take(storageSize)) return false;
        if (storageSize == 0) return true;
        if (storageSize < 28 || !r.Has(storageSize - 4) || !r.Take(version) || version != kStorageVersion ||
            !r.Take(format))
            return false;
        for (;;) {
            const size_t valueStart = r.pos();
            DWORD valueSize = 0;
            if (!r.Take(valueSize)) return false;
            if (valueSize == 0) break;
            if (valueSize < 13 || !r.Has(valueSize - 4)) return false;
            LinkProperty p;
            p.formatId = format;
            BYTE reserved = 0;
            WORD type = 0, padding = 0;
            r.Take(p.id);
            r.Take(reserved);
            r.Take(type);
            r.Take(padding);
            p.type = type;
            if (type == VT_LPWSTR) {
                DWORD count = 0;
                if (!r.Take(count) || !r.Has(count * sizeof(wchar_t))) return false;
                p.text.assign(reinterpret_cast<const wchar_t*>(r.here()), count);
                const size_t end = p.text.find(L'\0');
                if (end != std::wstring::npos) p.text.resize(end);
            } else if (type == VT_BOOL) {
                WORD value = 0;
                r.Take(value);
                p.number = value ? 1 : 0;
            } else {
                r.Take(p.number);
            }
            properties.push_back(p);
            if (valueStart + valueSize > size) return false;
            r = Reader(data, size);
            r.Skip(valueStart + valueSize);
        }
        if (r.pos() != storageStart + storageSize) return false;
    }
}

std::vector<BYTE> ReadWholeFile(const std::wstring& path)
{
    std::vector<BYTE> bytes;
    unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    if (!file) return bytes;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > (64 << 20)) return bytes;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) bytes.clear();
    bytes.resize(read);
    return bytes;
}

}  // namespace tapdeck::sim
