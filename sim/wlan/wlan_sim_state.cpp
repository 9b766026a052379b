#include "wlan_sim_state.h"

#include <sstream>

#include "hex.h"
#include "sim_state.h"

namespace tapdeck::sim {
namespace {

constexpr wchar_t kStateFile[] = L"state.txt";
constexpr wchar_t kEventsFile[] = L"events.log";
constexpr wchar_t kProfilesFile[] = L"profiles.log";

// Values may hold any character (names with line ends, colons...): stored as
// hexadecimal UTF-8.
std::wstring Hex(const std::wstring& text)
{
    return text.empty() ? L"-" : ToHex(ToUtf8(text));
}

std::wstring Unhex(const std::wstring& text)
{
    if (text == L"-") return {};
    std::string bytes;
    FromHex(text, bytes);
    return FromUtf8(bytes);
}

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> parts;
    std::wstring part;
    std::wistringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    return parts;
}

std::vector<std::wstring> Lines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    for (std::wstring& line : Split(text, L'\n')) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

}  // namespace

GUID WlanInterfaceGuid(int index)
{
    GUID guid{0x5A1E0000, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, static_cast<unsigned char>(index)}};
    return guid;
}

WlanStateLock::WlanStateLock() : mutex_(::CreateMutexW(nullptr, FALSE, L"Local\\TapdeckSimWlanState"))
{
    if (mutex_) ::WaitForSingleObject(mutex_.get(), 5000);
}

WlanStateLock::~WlanStateLock()
{
    if (mutex_) ::ReleaseMutex(mutex_.get());
}

WlanSimState LoadWlanState()
{
    WlanSimState state;
    const std::wstring text = ReadStateFile(kWlanArea, kStateFile);
    if (text.empty()) return state;
    state.phys.clear();
    for (const std::wstring& line : Lines(text)) {
        const size_t eq = line.find(L'=');
        if (eq == std::wstring::npos) continue;
        const std::wstring key = line.substr(0, eq);
        const std::wstring value = line.substr(eq + 1);
        const std::vector<std::wstring> fields = Split(value, L':');
        if (key == L"interfaces") {
            state.interfaces = _wtoi(value.c_str());
        } else if (key == L"phy") {
            state.phys.push_back(value == L"on");
        } else if (key == L"connected") {
            state.connected = Unhex(value);
        } else if (key == L"state") {
            state.connectionState = _wtoi(value.c_str());
        } else if (key == L"preferred") {
            state.preferred = Unhex(value);
        } else if (key == L"disconnect") {
            state.disconnectSucceeds = value == L"ok";
        } else if (key == L"stray" && fields.size() == 2) {
            state.strayProfile = Unhex(fields[0]);
            state.strayInterface = _wtoi(fields[1].c_str());
        } else if (key == L"network" && fields.size() == 2) {
            state.networks.push_back({Unhex(fields[0]), Unhex(fields[1])});
        } else if (key == L"connect") {
            state.connectSucceeds = value == L"ok";
        } else if (key == L"notify") {
            state.notify = value == L"on";
        } else if (key == L"delay") {
            state.delayMs = static_cast<DWORD>(_wtoi(value.c_str()));
        } else if (key == L"profile" && fields.size() == 6) {
            state.profiles.push_back({Unhex(fields[0]), Unhex(fields[1]), Unhex(fields[2]), Unhex(fields[3]),
                                      Unhex(fields[4]), static_cast<DWORD>(_wtoi(fields[5].c_str()))});
        } else if (key == L"location") {
            state.locationDenied = value == L"denied";
        } else if (key == L"prompted") {
            state.locationPrompted = value == L"yes";
        } else if (key == L"connectivity") {
            state.connectivityDetails = value == L"8.1";
        }
    }
    return state;
}

bool SaveWlanState(const WlanSimState& state)
{
    std::wstring text = L"interfaces=" + std::to_wstring(state.interfaces) + L"\n";
    for (const bool on : state.phys) text += on ? L"phy=on\n" : L"phy=off\n";
    text += L"connected=" + Hex(state.connected) + L"\n";
    text += L"state=" + std::to_wstring(state.connectionState) + L"\n";
    text += L"preferred=" + Hex(state.preferred) + L"\n";
    text += state.disconnectSucceeds ? L"disconnect=ok\n" : L"disconnect=fail\n";
    text += L"stray=" + Hex(state.strayProfile) + L":" + std::to_wstring(state.strayInterface) + L"\n";
    for (const WlanNetwork& network : state.networks) {
        text += L"network=" + Hex(network.ssid) + L":" + Hex(network.passphrase) + L"\n";
    }
    text += state.connectSucceeds ? L"connect=ok\n" : L"connect=fail\n";
    text += state.notify ? L"notify=on\n" : L"notify=off\n";
    text += L"delay=" + std::to_wstring(state.delayMs) + L"\n";
    for (const WlanStoredProfile& profile : state.profiles) {
        text += L"profile=" + Hex(profile.name) + L":" + Hex(profile.ssid) + L":" + Hex(profile.authentication) +
                L":" + Hex(profile.keyMaterial) + L":" + Hex(profile.xml) + L":" + std::to_wstring(profile.flags) + L"\n";
    }
    text += state.locationDenied ? L"location=denied\n" : L"location=granted\n";
    text += state.locationPrompted ? L"prompted=yes\n" : L"prompted=no\n";
    text += state.connectivityDetails ? L"connectivity=8.1\n" : L"connectivity=8\n";
    return WriteStateFile(kWlanArea, kStateFile, text);
}

void ResetWlanSim()
{
    WlanStateLock lock;
    SaveWlanState(WlanSimState{});
    DeleteStateFile(kWlanArea, kEventsFile);
    DeleteStateFile(kWlanArea, kProfilesFile);
}

void RecordWlanEvent(const std::wstring& line) { AppendRecord(kWlanArea, kEventsFile, line); }

std::vector<std::wstring> ReadWlanEvents() { return Lines(ReadStateFile(kWlanArea, kEventsFile)); }

void RecordWlanProfile(bool accepted, const std::wstring& xml)
{
    // One line per profile: a line end inside would be a character
    // reference in what Pairwell writes, so only a refused profile can
    // hold one.
    std::wstring line = (accepted ? L"accepted " : L"refused ") + xml;
    for (wchar_t& c : line) {
        if (c == L'\n' || c == L'\r') c = L' ';
    }
    AppendRecord(kWlanArea, kProfilesFile, line);
}

std::vector<std::wstring> ReadWlanProfiles() { return Lines(ReadStateFile(kWlanArea, kProfilesFile)); }

}  // namespace tapdeck::sim
