// The actors of a soak stretch, each on its own thread until the stop
// event: radio threads, registration churn, other instances of the agent,
// the companion app's files and Pairwell runs.
#include <cstdio>
#include <cstdlib>

#include "../nfc/nfc_test_world.h"
#include "../pairwell/pairwell_world.h"
#include "agent_messages.h"
#include "companion_files.h"
#include "compare_no_case.h"
#include "hex.h"
#include "running_processes.h"
#include "soak.h"
#include "support/process.h"

using namespace std::chrono_literals;

namespace tapdeck::soak {
namespace {

// The handlers the radio called in the agent for one request; -1 when the
// agent did not answer.
long Called(const std::string& reply)
{
    return reply.rfind("ok ", 0) == 0 ? std::strtol(reply.c_str() + 3, nullptr, 10) : -1;
}

}  // namespace

// Touches of every kind of type, each with bytes no other touch has (a
// serial number first), sent as upper- or lowercase hexadecimal.
void Soak::RadioActor(unsigned index)
{
    std::mt19937 random(seed_ * 31 + index);
    const DWORD pid = ::GetProcessId(agent_.get());
    static const wchar_t* const unregistered[] = {L"NDEF:ext.soak.none", L"NDEF:MIME.soak/fixed",
                                                  L"NDEF:ext.soak.fixe", L"Windows.SoakTex"};
    while (!Stopping(100, 400, random)) {
        const long serial = nextMarker_++;
        std::vector<BYTE> bytes = {static_cast<BYTE>(serial >> 24), static_cast<BYTE>(serial >> 16),
                                   static_cast<BYTE>(serial >> 8), static_cast<BYTE>(serial)};
        for (unsigned extra = random() % 25; extra > 0; --extra) bytes.push_back(static_cast<BYTE>(random()));
        TouchRecord touch;
        const unsigned kind = random() % 10;
        if (kind < 4) {
            touch.type = kFixedType;
            touch.recorderMayStart = true;
        } else if (kind < 6) {
            touch.type = ChurnType(static_cast<int>(random() % kChurnSlots), random() % 2 == 0);
            touch.recorderMayStart = true;
        } else if (kind == 6) {
            touch.type = kTextType;
            touch.recorderMayStart = true;
        } else if (kind == 7) {
            touch.type = kMissingType;
        } else {
            touch.type = unregistered[random() % 4];
        }
        // The tag's message: an NDEF type's handler gets all of it, a
        // Windows type's the text alone.
        std::vector<BYTE> message;
        if (kind == 6) {
            touch.argument = L"soak text " + std::to_wstring(serial);
            std::vector<BYTE> text;
            tapdeck::FromHex(sim::FromUtf8(test::Utf16Hex(touch.argument)), text);
            message = sim::MessageRoutedTo(touch.type, text);
        } else {
            message = sim::MessageRoutedTo(touch.type, bytes);
            touch.argument = tapdeck::ToHex(message);
        }
        const std::string hex = sim::ToUtf8(tapdeck::ToHex(message, random() % 2 == 0 ? HexCase::Upper : HexCase::Lower));
        const long called = Called(sim::SendRadioRequest(pid, test::TouchRequest(hex)));
        if (called < 0) faults_.Add("radio: the agent's radio did not answer a touch");
        touch.mustStart = called > 0 && (touch.type == kFixedType || touch.type == kTextType);
        if (called > 0 && !touch.recorderMayStart && touch.type != kMissingType)
            faults_.Add("radio: a touch of an unregistered type was answered");
        actions_.Add(touch.recorderMayStart ? "touches of types registered to the recorder"
                                            : "touches of unregistered types or missing handlers");
        if (called > 0) actions_.Add("touches answered by a handler");
        std::lock_guard<std::mutex> lock(recordLock_);
        touches_.push_back(std::move(touch));
    }
}

// Registrations that appear, change type or handler, and go.
void Soak::RegistrationActor()
{
    std::mt19937 random(seed_ * 31 + 101);
    bool present[kChurnSlots] = {};
    while (!Stopping(300, 1500, random)) {
        const int slot = static_cast<int>(random() % kChurnSlots);
        const std::wstring key = L"Soak Churn " + std::to_wstring(slot);
        const std::wstring type = ChurnType(slot, random() % 2 == 0);
        const wchar_t* handler = random() % 4 == 0 ? test::kMissingHandler : test::kRecorder;
        if (!present[slot]) {
            test::Register(key, type, handler);
            actions_.Add("registrations added");
        } else if (random() % 2 == 0) {
            const std::wstring path = std::wstring(kNfcdbKey) + L"\\" + key;
            const bool ofType = random() % 2 == 0;
            const std::wstring value = ofType ? type : std::wstring(handler);
            ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, path.c_str(), ofType ? L"MessageType" : L"ApplicationPath", REG_SZ,
                              value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
            actions_.Add("registrations changed");
            continue;
        } else {
            test::Unregister(key);
            actions_.Add("registrations removed");
        }
        present[slot] = !present[slot];
    }
    for (int slot = 0; slot < kChurnSlots; ++slot) test::Unregister(L"Soak Churn " + std::to_wstring(slot));
}

// Other instances: "/Publish" requests, good and malformed, a peer reading
// what is published, and second starts by hand and by the logon task.
void Soak::InstanceActor()
{
    std::mt19937 random(seed_ * 31 + 202);
    static const wchar_t* const malformed[] = {L"/Publish", L"/Publish /NDEF /0g", L"/Publish /NDEF /abc",
                                               L"/Publish NDEF01ab", L"/Publish /NDEF/01ab"};
    while (!Stopping(700, 2500, random)) {
        const unsigned kind = random() % 10;
        if (kind < 4) {
            char hex[16];
            std::snprintf(hex, sizeof(hex), "50%08lx", nextMarker_++);
            if (test::RunProgram(test::Agent(), L"/Publish /NDEF:soak.pub /" + sim::FromUtf8(hex)) != 0)
                faults_.Add("publish: the second instance did not end with 0");
            actions_.Add("/Publish requests");
            std::lock_guard<std::mutex> lock(recordLock_);
            published_.push_back(sim::FromUtf8(hex));
        } else if (kind == 4) {
            if (test::RunProgram(test::Agent(), malformed[random() % 5]) != 0)
                faults_.Add("publish: a malformed request did not end with 0");
            actions_.Add("malformed /Publish requests");
        } else if (kind == 5) {
            sim::SendRadioRequest(::GetProcessId(agent_.get()), "transmit");
            actions_.Add("published messages read by a peer");
        } else if (kind < 8) {
            if (test::RunProgram(test::Agent(), L"/AutoStart") != 0) faults_.Add("second automatic start did not end with 0");
            actions_.Add("second automatic starts");
        } else {
            if (test::RunProgram(test::Agent(), L"") != 0) faults_.Add("second manual start did not end with 0");
            actions_.Add("second manual starts");
            HWND dialog = nullptr;
            if (!test::WaitUntil([&] { return (dialog = test::FindWindowWithProperty(kMainDialogProp)) != nullptr; },
                                 10s)) {
                faults_.Add("second manual start: no main dialog within 10 s");
                continue;
            }
            ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            if (!test::WaitUntil([] { return test::FindWindowWithProperty(kMainDialogProp) == nullptr; }, 10s))
                faults_.Add("main dialog did not close within 10 s of OK");
        }
    }
}

void Soak::CompanionActor()
{
    std::mt19937 random(seed_ * 31 + 303);
    while (!Stopping(300, 1500, random)) {
        const int kind = static_cast<int>(random() % 9);
        if (kind < 3)
            WriteAppInfo(kind);
        else
            WriteCommandFile(kind - 3);
    }
}

// Written whole, rewritten at once, or in two halves: the reply names the
// last session written.
bool Soak::WriteAppInfo(int kind)
{
    std::wstring session = L"soak-" + std::to_wstring(nextMarker_++);
    if (kind == 1) {
        sim::WriteCompanionFile(family_, L"App.Info", sim::AppInfoXml(session));
        session = L"soak-" + std::to_wstring(nextMarker_++);
        actions_.Add("App.Info rewritten at once");
    }
    sim::WriteCompanionFile(family_, L"App.Info", sim::AppInfoXml(session), kind == 2);
    actions_.Add(kind == 2 ? "App.Info half-written" : "App.Info written");
    const std::string wanted = "<SessionID>" + sim::ToUtf8(session) + "</SessionID>";
    std::string reply;
    if (!test::WaitUntil(
            [&] { return sim::ReadCompanionFile(family_, L"Session.info", reply) && reply.find(wanted) != std::string::npos; },
            15s)) {
        faults_.Add("App.Info: no Session.info for the last session within 15 s");
        return false;
    }
    return true;
}

std::wstring Soak::Picture(long marker)
{
    const std::wstring path = pictures_ + L"\\soak-" + std::to_wstring(marker) + L".jpg";
    unique_file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return path;
}

// Each file asks for the photo editor with a picture of its own, so that
// the editor's starts show which file ran. Kinds: whole, in two halves,
// replaced at once, cut off for good or over-long before a whole one
// replaces it, and held by its writer for a while after it is written.
bool Soak::WriteCommandFile(int kind)
{
    const std::wstring path = sim::CompanionLocalState(family_) + L"\\Command.Info";
    if (!test::WaitUntil([&] { return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; }, 20s)) {
        faults_.Add("Command.Info: a command file was still there 20 s after it was written");
        return false;
    }
    auto xml = [this](long marker) { return sim::CommandInfoXml({{L"LaunchPS", {Picture(marker)}}}); };
    const long first = nextMarker_++;
    if (kind == 2 || kind == 3 || kind == 5) {
        std::string bytes = xml(first);
        if (kind == 3) bytes = bytes.substr(0, bytes.size() / 2);
        // More commands than a file may hold: nothing of it runs.
        if (kind == 5) bytes = sim::CommandInfoXml(std::vector<sim::CompanionCommand>(17, {L"LaunchPS", {Picture(first)}}));
        sim::WriteCompanionFile(family_, L"Command.Info", bytes);
        if (kind != 2) ::Sleep(300);  // long enough for the watcher to read the file that must not run
        const long second = nextMarker_++;
        // The agent keeps writers out while it deletes a file it has read:
        // the app learns that its write failed, and nothing is expected of it.
        const bool written = sim::WriteCompanionFile(family_, L"Command.Info", xml(second));
        if (!written) actions_.Add("Command.Info writes refused while the agent deleted the file before");
        const char* how = kind == 2 ? "replaced at once" : kind == 3 ? "cut off" : "over-long";
        actions_.Add(std::string("Command.Info ") + how + ", then written whole");
        std::lock_guard<std::mutex> lock(recordLock_);
        commands_.push_back({first, kind == 2, kind != 2, how});
        if (written) commands_.push_back({second, false, false, "written whole over another"});
        return true;
    }
    const bool written = kind == 4 ? sim::WriteCompanionFileHeld(family_, L"Command.Info", xml(first), 200 + first % 1300)
                                   : sim::WriteCompanionFile(family_, L"Command.Info", xml(first), kind == 1);
    if (!written) {
        actions_.Add("Command.Info writes refused while the agent deleted the file before");
        return false;
    }
    const char* how = kind == 1 ? "half-written" : kind == 4 ? "held by its writer" : "written whole";
    actions_.Add(std::string("Command.Info ") + how);
    std::lock_guard<std::mutex> lock(recordLock_);
    commands_.push_back({first, false, false, how});
    return true;
}

void Soak::PairwellActor()
{
    std::mt19937 random(seed_ * 31 + 404);
    while (!Stopping(1000, 4000, random)) PairwellRun(static_cast<int>(random() % 3));
}

// A camera touch that connects (0), fails its attempts (1) or is halted
// while it connects (2).
void Soak::PairwellRun(int kind)
{
    pairwell_.Wlan([&](sim::WlanSimState& s) {
        s.connected.clear();
        s.connectSucceeds = kind == 0;
    });
    const int connects = pairwell_.CountWlanEvents(L"connect ");
    const size_t activations = pairwell_.Activations().size();
    const long called = Called(
        sim::SendRadioRequest(::GetProcessId(agent_.get()), test::TouchRequest(sim::ToUtf8(test::CameraPayload()))));
    if (called != 1) {
        faults_.Add("Pairwell: the camera's touch was not answered");
        return;
    }
    unique_handle pairwell;
    if (!test::WaitUntil([&] { return static_cast<bool>(pairwell = OpenRunning(L"Pairwell.exe")); }, 15s)) {
        faults_.Add("Pairwell: not started within 15 s of the camera's touch");
        return;
    }
    if (kind == 0) {
        actions_.Add("Pairwell runs that connect");
        if (test::WaitForExit(pairwell.get(), 30s) != 0) faults_.Add("Pairwell connect: did not end with 0 in 30 s");
        if (pairwell_.Activations().size() <= activations)
            faults_.Add("Pairwell connect: the companion app was not activated");
    } else if (kind == 1) {
        actions_.Add("Pairwell runs that fail");
        const HWND dialog = test::WaitForDialog(L"Camera WiFiConnectFailDlg prop", 30s);
        if (!dialog) {
            faults_.Add("Pairwell fail: no failure dialog within 30 s");
        } else {
            test::PressDialogButton(dialog, 1);
        }
        if (test::WaitForExit(pairwell.get(), 15s) != 0) faults_.Add("Pairwell fail: did not end with 0");
    } else {
        actions_.Add("Pairwell runs halted while connecting");
        if (!test::WaitUntil([&] { return pairwell_.CountWlanEvents(L"connect ") > connects; }, 15s))
            faults_.Add("Pairwell halt: no connect attempt within 15 s");
        if (test::RunProgram(test::PairwellPath(), L"/HaltAll") != 0) faults_.Add("Pairwell /HaltAll did not end with 0");
        if (test::WaitForExit(pairwell.get(), 10s) != 0) faults_.Add("Pairwell halt: did not end with 0 within 10 s");
    }
    if (test::WaitForExit(pairwell.get(), 0ms) == -1) ::TerminateProcess(pairwell.get(), 1);
}

// Counts how often Command.Info is deleted, as the folder reports it.
void Soak::RemovalWatcher()
{
    unique_file folder(::CreateFileW(sim::CompanionLocalState(family_).c_str(), FILE_LIST_DIRECTORY,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    unique_event io(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!folder || !io) {
        faults_.Add("the soak cannot watch LocalState");
        return;
    }
    alignas(DWORD) BYTE buffer[16384];
    for (;;) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = io.get();
        if (!::ReadDirectoryChangesW(folder.get(), buffer, sizeof(buffer), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME, nullptr,
                                     &overlapped, nullptr)) {
            faults_.Add("the soak cannot watch LocalState");
            return;
        }
        const HANDLE handles[] = {io.get(), watcherStop_.get()};
        const DWORD woken = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        DWORD bytes = 0;
        if (woken != WAIT_OBJECT_0) {
            ::CancelIoEx(folder.get(), &overlapped);
            ::GetOverlappedResult(folder.get(), &overlapped, &bytes, TRUE);
            return;
        }
        if (!::GetOverlappedResult(folder.get(), &overlapped, &bytes, FALSE)) continue;
        if (bytes == 0) faults_.Add("the soak's LocalState watch overflowed: deletions may be missed");
        for (DWORD offset = 0; bytes > 0;) {
            const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + offset);
            const std::wstring name(record->FileName, record->FileNameLength / sizeof(wchar_t));
            if (record->Action == FILE_ACTION_REMOVED && EqualsNoCase(name, L"Command.Info"))
                ++commandRemovals_;
            if (record->NextEntryOffset == 0) break;
            offset += record->NextEntryOffset;
        }
    }
}

}  // namespace tapdeck::soak
