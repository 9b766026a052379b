#pragma once
// The world a Pairwell process test arranges: the Wi-Fi stand-in, the
// companion profile, the user's "NotShowAgain", usage statistics, the toast
// and activation records; and ways to read what Pairwell did to them.
#include <windows.h>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "unique_handle.h"
#include "wlan_sim_state.h"
#include "wsc_message.h"

namespace tapdeck::test {

inline constexpr wchar_t kCameraSsid[] = L"KOX-CAM-7F3A";
inline constexpr wchar_t kCameraPassphrase[] = L"s3cret-pass";
inline constexpr wchar_t kCompanionAumid[] = L"VexaCorporation.KoxPhotoCompanion_r7tq3m9xk2b4e!App";

// The camera's NFC message as the agent passes it.
std::wstring CameraPayload(const std::wstring& ssid = kCameraSsid,
                           const std::wstring& passphrase = kCameraPassphrase);

// A standard tag's network (WPA2-Personal, AES unless told).
sim::WscCredentialFields Credential(std::string ssid, std::string key, unsigned auth = 0x0020,
                                    std::optional<unsigned> encr = 0x0008);
// As Android's Wi-Fi settings write it: the network, then the app's record.
std::wstring PhoneTag(std::vector<sim::WscCredentialFields> credentials);

// True when a line starts with the prefix.
bool HasLine(const std::vector<std::wstring>& lines, const std::wstring& prefix);

// The profile Pairwell writes for a network, as literal text (the values
// inserted as they are: no XML special characters in them).
std::wstring ProfileLine(const std::wstring& name, const std::wstring& passphrase);

class PairwellWorld {
public:
    PairwellWorld();
    ~PairwellWorld();
    PairwellWorld(const PairwellWorld&) = delete;
    PairwellWorld& operator=(const PairwellWorld&) = delete;

    // Changes the stand-in's state.
    void Wlan(const std::function<void(sim::WlanSimState&)>& change);
    // A camera network in reach that accepts its passphrase.
    void CameraInReach();
    // Replaces the installed Configuration.xml until the world ends.
    void Profile(int retryTimes, int retryInterval);
    void ProfileText(const std::string& text);
    // No Configuration.xml at all until the world ends.
    void RemoveProfile();
    void SetNotShowAgain(DWORD value);
    // -1 when the value is missing.
    long NotShowAgain() const;

    std::vector<std::wstring> WlanEvents() const { return sim::ReadWlanEvents(); }
    int CountWlanEvents(const std::wstring& prefix) const;
    bool HasWlanEvent(const std::wstring& line) const;
    std::wstring Connected() const { return sim::LoadWlanState().connected; }
    // True when a usage event with exactly these strings was submitted.
    bool UsageEvent(const std::vector<std::wstring>& strings) const;
    std::vector<std::wstring> ToastRecords() const;
    std::vector<std::wstring> Activations() const;

private:
    std::string savedProfile_;
    bool profileReplaced_ = false;
};

std::wstring PairwellPath();
unique_handle StartPairwell(const std::wstring& arguments);
// The open Pairwell dialog with this property, waited for.
HWND WaitForDialog(const wchar_t* property, std::chrono::milliseconds timeout = std::chrono::seconds(15));
// What a click on the control does (the check box toggles first).
void PressDialogButton(HWND dialog, int id);
// The user clicks the toast this process shows; with afterHandlers, returns
// once the click's handlers have returned. False when the host took no click.
bool ClickOwnToast(bool afterHandlers);

}  // namespace tapdeck::test
