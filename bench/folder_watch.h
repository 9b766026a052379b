// Learns of writes in one folder the way a watcher of it does: an overlapped
// ReadDirectoryChangesW, armed again as soon as a read completes so that no
// write between two reads goes unseen. Waiting costs nothing while nothing
// happens, unlike polling the file, which loads the Wine server.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>

#include "bench_report.h"
#include "compare_no_case.h"
#include "unique_handle.h"

namespace tapdeck::bench {

class FolderWatch {
public:
    explicit FolderWatch(const std::wstring& folder)
        : folder_(::CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr)),
          io_(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        overlapped_.hEvent = io_.get();
        Arm();
    }
    ~FolderWatch()
    {
        if (!pending_) return;
        // The system owns the buffer until the read completes.
        DWORD ignored = 0;
        ::CancelIoEx(folder_.get(), &overlapped_);
        ::GetOverlappedResult(folder_.get(), &overlapped_, &ignored, TRUE);
    }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool Armed() const { return pending_; }

    // Waits until a write names the file (any case) or the deadline (a
    // performance counter value) passes; true when it was named. A read that
    // lost its records (an overflow) counts as naming it.
    bool WaitForName(const std::wstring& name, LONGLONG deadline)
    {
        while (pending_) {
            if (::WaitForSingleObject(io_.get(), MsUntil(deadline)) != WAIT_OBJECT_0) return false;
            DWORD bytes = 0;
            const bool read = ::GetOverlappedResult(folder_.get(), &overlapped_, &bytes, FALSE) != FALSE;
            pending_ = false;
            alignas(DWORD) BYTE records[sizeof(buffer_)];
            std::memcpy(records, buffer_, bytes);
            Arm();
            if (!read || bytes == 0 || Names(records, bytes, name)) return true;
        }
        return false;
    }

private:
    void Arm()
    {
        ::ResetEvent(io_.get());
        pending_ = folder_ && ::ReadDirectoryChangesW(folder_.get(), buffer_, sizeof(buffer_), FALSE,
                                                      FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME,
                                                      nullptr, &overlapped_, nullptr);
    }

    // Every record of the read, as a watcher must look at them: one write
    // often gives several, and the one wanted need not come first.
    static bool Names(const BYTE* records, DWORD bytes, const std::wstring& name)
    {
        DWORD offset = 0;
        while (offset + offsetof(FILE_NOTIFY_INFORMATION, FileName) <= bytes) {
            const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(records + offset);
            if (offset + offsetof(FILE_NOTIFY_INFORMATION, FileName) + record->FileNameLength > bytes) break;
            if (EqualsNoCase(std::wstring_view(record->FileName, record->FileNameLength / sizeof(wchar_t)), name))
                return true;
            if (record->NextEntryOffset == 0) break;
            offset += record->NextEntryOffset;
        }
        return false;
    }

    unique_file folder_;
    unique_event io_;
    OVERLAPPED overlapped_{};
    alignas(DWORD) BYTE buffer_[4096];
    bool pending_ = false;
};

}  // namespace tapdeck::bench
