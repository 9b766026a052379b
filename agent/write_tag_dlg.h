#pragma once
// "Write a Wi-Fi tag": the user's network (its name prefilled with the one
// the PC is connected to), its security and passphrase, written as a
// standard Wi-Fi tag to the writable NFC tag the user holds to the reader.
#include <windows.h>
#include <string>

#include "unique_handle.h"
#include "write_tag_session.h"
#include "wsc_encoder.h"

namespace tapdeck {

constexpr wchar_t kWriteTagDialogProp[] = L"Tapdeck WriteTagDlg Prop";
// Posted by a second "/WriteWifiTag": bring the open dialog to the front.
constexpr UINT WM_RAISE_WRITE_TAG_DLG = WM_APP + 114;

// Control ids; the buttons are IDOK (Write) and IDCANCEL (Close).
enum WriteTagControl : int {
    kWriteNameEdit = 1001,
    kWriteSecurityCombo = 1002,
    kWritePassEdit = 1003,
    kWriteShowCheck = 1004,
    kWriteStatusText = 1005,
};

class CWriteTagDlg {
public:
    explicit CWriteTagDlg(HINSTANCE instance) : instance_(instance) {}
    CWriteTagDlg(const CWriteTagDlg&) = delete;
    CWriteTagDlg& operator=(const CWriteTagDlg&) = delete;
    ~CWriteTagDlg();

    // The dialog window, shown; null when it could not be built (a window
    // half built has been sent a posted WM_CLOSE).
    HWND Create();
    // Runs the dialog's loop until the window is gone; nothing stays
    // published after it.
    void RunLoop();

private:
    bool Build();
    bool CreateControls();
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);
    void Write();
    void SecurityChanged();
    void ShowPassphrase(bool shown);
    void Say(UINT id);
    void SayText(const std::wstring& text);
    void SetEditing(bool editing);
    void EndWrite(UINT id);
    void OnArrived();
    void OnDeparted();
    void OnCapacity(UINT32 capacity);
    void OnTimer(UINT_PTR timer);
    void Raise();
    WscWriteSecurity Security() const;

    HINSTANCE instance_;
    HWND window_ = nullptr;
    HWND nameLabel_ = nullptr;
    HWND nameEdit_ = nullptr;
    HWND securityLabel_ = nullptr;
    HWND securityCombo_ = nullptr;
    HWND passLabel_ = nullptr;
    HWND passEdit_ = nullptr;
    HWND showCheck_ = nullptr;
    HWND statusText_ = nullptr;
    HWND writeButton_ = nullptr;
    HWND closeButton_ = nullptr;
    unique_hfont font_;
    unique_hicon icon_;
    wchar_t passwordChar_ = L'*';

    CWriteTagSession session_;
    std::wstring network_;    // the name being written
    size_t messageBytes_ = 0;  // the size of the message being written
    bool tagNear_ = false;     // a tag has arrived and not yet left
    UINT32 capacity_ = 0;      // the near tag's capacity, 0 until heard
};

}  // namespace tapdeck
