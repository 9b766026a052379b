#include "pairwell_world.h"

#include <gtest/gtest.h>

#include "activation/activation_channel.h"
#include "appvisibility/appvisibility_channel.h"
#include "camera_message.h"
#include "hex.h"
#include "sim_state.h"
#include "support/process.h"
#include "support/standin_census.h"
#include "tallyr_record.h"
#include "toast/toast_channel.h"
#include "wlan_connect.h"

namespace tapdeck::test {
namespace {

std::wstring ProfilePath() { return InstalledPath(L"Pairwell Profile\\Configuration.xml"); }

std::string ReadBytes(const std::wstring& path)
{
    unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    if (!file) return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (file) ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::vector<std::wstring> Lines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Every Pairwell started while a world stands, for the census at its end.
std::vector<unique_handle>& StartedPairwells()
{
    static std::vector<unique_handle> started;
    return started;
}

// A toast that is still on screen when its program ends is the host's to
// keep, as it is the platform's: its objects are not counted against the program.
bool ToastStillShownBy(DWORD processId)
{
    const std::wstring shown = sim::ReadStateFile(sim::toast::kArea, sim::toast::kShownState);
    return !shown.empty() && std::wcstoul(shown.c_str(), nullptr, 10) == processId;
}

}  // namespace

std::wstring CameraPayload(const std::wstring& ssid, const std::wstring& passphrase)
{
    std::wstring hex;
    sim::BuildCameraMessageHex(sim::ToUtf8(ssid), sim::ToUtf8(passphrase), hex);
    return hex;
}

sim::WscCredentialFields Credential(std::string ssid, std::string key, unsigned auth, std::optional<unsigned> encr)
{
    sim::WscCredentialFields credential;
    credential.ssid = std::move(ssid);
    credential.key = std::move(key);
    credential.auth = auth;
    credential.encr = encr;
    return credential;
}

std::wstring PhoneTag(std::vector<sim::WscCredentialFields> credentials)
{
    return tapdeck::ToHex(sim::NdefMessageBytes(
        {sim::WscRecord(sim::WscConfigurationPayload(credentials)), sim::AndroidAppRecord("com.android.settings")}));
}

bool HasLine(const std::vector<std::wstring>& lines, const std::wstring& prefix)
{
    for (const std::wstring& line : lines) {
        if (line.rfind(prefix, 0) == 0) return true;
    }
    return false;
}

std::wstring ProfileLine(const std::wstring& name, const std::wstring& passphrase)
{
    return L"<?xml version=\"1.0\"?><WLANProfile xmlns=\"http://www.microsoft.com/networking/WLAN/profile/v1\">"
           L"<name>" + name + L"</name><SSIDConfig><SSID><name>" + name + L"</name></SSID></SSIDConfig>"
           L"<connectionType>ESS</connectionType><connectionMode>manual</connectionMode>"
           L"<autoSwitch>false</autoSwitch><MSM><security><authEncryption><authentication>WPA2PSK"
           L"</authentication><encryption>AES</encryption><useOneX>false</useOneX></authEncryption>"
           L"<sharedKey><keyType>passPhrase</keyType><protected>false</protected>"
           L"<keyMaterial>" + passphrase + L"</keyMaterial></sharedKey></security></MSM></WLANProfile>";
}

PairwellWorld::PairwellWorld()
{
    sim::ResetWlanSim();
    sim::DeleteStateFile(sim::toast::kArea, sim::toast::kRecords);
    sim::DeleteStateFile(sim::toast::kArea, sim::toast::kShownState);
    sim::DeleteStateFile(sim::activation::kArea, sim::activation::kRecords);
    sim::DeleteStateFile(sim::appvisibility::kArea, sim::appvisibility::kRecords);
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, pairwell::kSettingsKey, pairwell::kNotShowAgainValue);
    sim::ClearTallyrCalls();
    StartedPairwells().clear();
    // The activation server outlives its clients; what it counted before this world is not ours.
    for (const auto& row : sim::ReadCensusOf(sim::activation::kCensus)) {
        sim::DeleteStateFile(sim::kCensusArea, row.standIn + L"-" + std::to_wstring(row.processId) + L".txt");
    }
}

PairwellWorld::~PairwellWorld()
{
    // Every Pairwell that has ended let go of every stand-in object it was given.
    for (const unique_handle& process : StartedPairwells()) {
        if (::WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0) continue;
        const DWORD processId = ::GetProcessId(process.get());
        ExpectNothingLeftAlive(process.get(), {sim::kWlanCensus}, [&](const sim::CensusRow& row) {
            return row.standIn == sim::toast::kCensus && row.underflows == 0 && ToastStillShownBy(processId);
        });
    }
    for (const auto& row : sim::CensusFaults(sim::ReadCensusOf(sim::activation::kCensus)))
        ADD_FAILURE() << sim::ToUtf8(sim::DescribeCensusRow(row));
    StartedPairwells().clear();
    if (profileReplaced_) WriteBytes(ProfilePath(), savedProfile_);
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, pairwell::kSettingsKey, pairwell::kNotShowAgainValue);
}

void PairwellWorld::Wlan(const std::function<void(sim::WlanSimState&)>& change)
{
    sim::WlanStateLock lock;
    sim::WlanSimState state = sim::LoadWlanState();
    change(state);
    sim::SaveWlanState(state);
}

void PairwellWorld::CameraInReach()
{
    Wlan([](sim::WlanSimState& s) { s.networks.push_back({kCameraSsid, kCameraPassphrase}); });
}

void PairwellWorld::ProfileText(const std::string& text)
{
    if (!profileReplaced_) savedProfile_ = ReadBytes(ProfilePath());
    profileReplaced_ = true;
    WriteBytes(ProfilePath(), text);
}

void PairwellWorld::RemoveProfile()
{
    if (!profileReplaced_) savedProfile_ = ReadBytes(ProfilePath());
    profileReplaced_ = true;
    ::DeleteFileW(ProfilePath().c_str());
}

void PairwellWorld::Profile(int retryTimes, int retryInterval)
{
    ProfileText("<?xml version=\"1.0\" encoding=\"utf-8\"?><Configuration><AppInfo "
                "PackageFamilyName=\"VexaCorporation.KoxPhotoCompanion_r7tq3m9xk2b4e\" "
                "AppUserModelID=\"VexaCorporation.KoxPhotoCompanion_r7tq3m9xk2b4e!App\" WiFiConnectRetryTimes=\"" +
                std::to_string(retryTimes) + "\" WiFiConnectRetryInterval=\"" + std::to_string(retryInterval) +
                "\" /></Configuration>");
}

void PairwellWorld::SetNotShowAgain(DWORD value)
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, pairwell::kSettingsKey, pairwell::kNotShowAgainValue, REG_DWORD, &value,
                      sizeof(value));
}

long PairwellWorld::NotShowAgain() const
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, pairwell::kSettingsKey, pairwell::kNotShowAgainValue, RRF_RT_REG_DWORD,
                       nullptr, &value, &size) != ERROR_SUCCESS) {
        return -1;
    }
    return static_cast<long>(value);
}

int PairwellWorld::CountWlanEvents(const std::wstring& prefix) const
{
    int count = 0;
    for (const std::wstring& line : WlanEvents()) count += line.rfind(prefix, 0) == 0;
    return count;
}

bool PairwellWorld::HasWlanEvent(const std::wstring& line) const
{
    for (const std::wstring& event : WlanEvents()) {
        if (event == line) return true;
    }
    return false;
}

bool PairwellWorld::UsageEvent(const std::vector<std::wstring>& strings) const
{
    for (const std::vector<std::wstring>& call : sim::ReadTallyrCalls()) {
        if (call.size() < strings.size() + 2 || call[0].find(L"SubmitEvent") != 0) continue;
        if (std::equal(strings.begin(), strings.end(), call.end() - static_cast<long>(strings.size()))) return true;
    }
    return false;
}

std::vector<std::wstring> PairwellWorld::ToastRecords() const
{
    return Lines(sim::ReadStateFile(sim::toast::kArea, sim::toast::kRecords));
}

std::vector<std::wstring> PairwellWorld::Activations() const
{
    return Lines(sim::ReadStateFile(sim::activation::kArea, sim::activation::kRecords));
}

std::wstring PairwellPath() { return InstalledPath(L"Pairwell.exe"); }

unique_handle StartPairwell(const std::wstring& arguments)
{
    unique_handle process = StartProgram(PairwellPath(), arguments);
    HANDLE watched = nullptr;
    if (process && ::DuplicateHandle(::GetCurrentProcess(), process.get(), ::GetCurrentProcess(), &watched,
                                     SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 0))
        StartedPairwells().emplace_back(watched);
    return process;
}

HWND WaitForDialog(const wchar_t* property, std::chrono::milliseconds timeout)
{
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = FindWindowWithProperty(property)) != nullptr; }, timeout);
    return dialog;
}

void PressDialogButton(HWND dialog, int id)
{
    HWND control = ::GetDlgItem(dialog, id);
    if (control && (::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        const LRESULT state = ::SendMessageW(control, BM_GETCHECK, 0, 0);
        ::SendMessageW(control, BM_SETCHECK, state == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    }
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

bool ClickOwnToast(bool afterHandlers)
{
    unique_event delivered(::CreateEventW(nullptr, FALSE, FALSE, sim::toast::kDeliveredEvent));
    // The host's thread makes the event once the first toast is shown.
    const std::wstring name = sim::toast::EventFor(sim::toast::kActivateEvent, ::GetCurrentProcessId());
    unique_event activate;
    WaitUntil(
        [&] {
            activate.reset(::OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str()));
            return static_cast<bool>(activate);
        },
        std::chrono::seconds(5));
    if (!delivered || !activate) return false;
    // The host takes one user action at a time: it takes a second click only
    // when the first one's handlers have returned.
    for (int click = afterHandlers ? 2 : 1; click > 0; --click) {
        ::SetEvent(activate.get());
        if (::WaitForSingleObject(delivered.get(), 10000) != WAIT_OBJECT_0) return false;
    }
    return true;
}

}  // namespace tapdeck::test
