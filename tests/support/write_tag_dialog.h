#pragma once
// The installed agent's "Write a Wi-Fi tag" dialog, started with
// "/WriteWifiTag" and filled in and pressed through window messages, as a
// user's keys and clicks would.
#include <windows.h>
#include <chrono>
#include <functional>
#include <string>

#include "../../agent/write_tag_dlg.h"
#include "../../sim/nfc/radio_protocol.h"
#include "sim_state.h"
#include "support/process.h"
#include "unique_handle.h"

namespace tapdeck::test {

// The radio on, no tag near, nothing recorded, while the object lives;
// then off again, as the other tests expect to find it.
class TagRadio {
public:
    TagRadio()
    {
        Forget();
        sim::WriteStateFile(sim::kNfcArea, sim::kNfcPresentFile, L"1");
    }
    ~TagRadio()
    {
        Forget();
        sim::DeleteStateFile(sim::kNfcArea, sim::kNfcPresentFile);
    }
    TagRadio(const TagRadio&) = delete;
    TagRadio& operator=(const TagRadio&) = delete;

private:
    static void Forget()
    {
        for (const wchar_t* file : {sim::kNfcSubscriptionsFile, sim::kNfcPublishedFile, sim::kNfcTagFile,
                                    sim::kNfcHoldFile, sim::kNfcRefuseFile})
            sim::DeleteStateFile(sim::kNfcArea, file);
    }
};

// A static tag comes near every program with the radio open: "writable
// CAPACITY [HEX]" or "read-only HEX", as simctl nfc-tag places it.
inline void PlaceTag(const std::wstring& tag)
{
    sim::WriteStateFile(sim::kNfcArea, sim::kNfcTagFile, tag);
    sim::BroadcastRadioRequest("tag");
}

class WriteTagDialog {
public:
    WriteTagDialog() : process_(StartProgram(InstalledPath(L"Tapdeck.exe"), L"/WriteWifiTag")) {}
    ~WriteTagDialog()
    {
        if (process_ && WaitForExit(process_.get(), std::chrono::milliseconds(0)) == -1) {
            Close();
            if (WaitForExit(process_.get(), std::chrono::seconds(10)) == -1) ::TerminateProcess(process_.get(), 1);
        }
    }
    WriteTagDialog(const WriteTagDialog&) = delete;
    WriteTagDialog& operator=(const WriteTagDialog&) = delete;

    HANDLE Process() const { return process_.get(); }
    // The dialog of this process, waited for.
    HWND Window()
    {
        if (!window_) {
            WaitUntil([&] {
                HWND found = FindWindowWithProperty(kWriteTagDialogProp);
                DWORD owner = 0;
                if (found) ::GetWindowThreadProcessId(found, &owner);
                if (owner == ::GetProcessId(process_.get())) window_ = found;
                return window_ != nullptr;
            }, std::chrono::seconds(15));
        }
        return window_;
    }
    // Security: 0 WPA2-Personal, 1 WPA-Personal, 2 open.
    void Fill(const std::wstring& name, const std::wstring& passphrase, int security = 0)
    {
        HWND dialog = Window();
        ::SendMessageW(::GetDlgItem(dialog, kWriteNameEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
        HWND combo = ::GetDlgItem(dialog, kWriteSecurityCombo);
        ::SendMessageW(combo, CB_SETCURSEL, security, 0);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kWriteSecurityCombo, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
        ::SendMessageW(::GetDlgItem(dialog, kWritePassEdit), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(passphrase.c_str()));
    }
    void Press(int id) { ::SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void Write() { Press(IDOK); }
    void Close()
    {
        if (HWND dialog = Window()) ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    }
    // Asked of the control itself: GetWindowText keeps what was typed into
    // another process's field from us.
    std::wstring Control(int id)
    {
        wchar_t text[1024] = {};
        ::SendMessageW(::GetDlgItem(Window(), id), WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
        return text;
    }
    std::wstring Status() { return Control(kWriteStatusText); }
    // Waits until the status says what the condition looks for.
    bool WaitForStatus(const std::function<bool(const std::wstring&)>& says,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        return WaitUntil([&] { return says(Status()); }, timeout);
    }

private:
    unique_handle process_;
    HWND window_ = nullptr;
};

}  // namespace tapdeck::test
