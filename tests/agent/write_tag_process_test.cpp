// "Tapdeck.exe /WriteWifiTag" over the radio stand-in: what reaches the tag,
// what the dialog says, and that nothing stays published once it is done.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "hex.h"
#include "sim_state.h"
#include "strings/agent_strings.h"
#include "support/installed_texts.h"
#include "support/standin_census.h"
#include "support/write_tag_dialog.h"
#include "wsc_encoder.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::test;

namespace {

std::vector<std::wstring> Records(const wchar_t* file)
{
    std::vector<std::wstring> lines;
    std::wistringstream text(sim::ReadStateFile(sim::kNfcArea, file));
    for (std::wstring line; std::getline(text, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

size_t Count(const std::vector<std::wstring>& lines, const std::wstring& prefix)
{
    return static_cast<size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const std::wstring& l) { return l.rfind(prefix, 0) == 0; }));
}

bool IsText(const std::wstring& status, UINT id)
{
    const auto texts = InstalledTexts(L"Tapdeck.exe", id);
    return std::find(texts.begin(), texts.end(), status) != texts.end();
}


const std::string kMessage = EncodeWscMessage("Casa Mueller", "sommer-2026-wlan", WscWriteSecurity::Wpa2Personal);

bool Says(const std::wstring& status, UINT id) { return IsText(status, id); }

struct WriteCase {
    const char* name;
    std::function<void()> meanwhile;  // what happens at the radio while the dialog waits
    std::function<bool(const std::wstring&)> says;
    bool written;
    bool haltAll;  // ended by "/HaltAll" instead of Close
};

class WriteTagOutcome : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteTagOutcome, IsSaidAndNothingStaysPublished)
{
    const WriteCase& c = GetParam();
    TagRadio radio;
    WriteTagDialog dialog;
    ASSERT_TRUE(dialog.Window());
    dialog.Fill(L"Casa Mueller", L"sommer-2026-wlan");
    dialog.Write();
    ASSERT_TRUE(dialog.WaitForStatus([](const std::wstring& s) { return IsText(s, IDS_WRITE_HOLD); }));
    const auto published = Records(sim::kNfcPublishedFile);
    ASSERT_EQ(1u, published.size());
    EXPECT_EQ(0u, published[0].rfind(L"publish\t", 0));
    EXPECT_NE(std::wstring::npos, published[0].find(L"\tNDEF:WriteTag\t" + ToHex(kMessage)));
    c.meanwhile();
    EXPECT_TRUE(dialog.WaitForStatus(c.says)) << sim::ToUtf8(dialog.Status());

    const std::wstring tag = sim::ReadStateFile(sim::kNfcArea, sim::kNfcTagFile);
    const auto after = Records(sim::kNfcPublishedFile);
    EXPECT_EQ(c.written ? 1u : 0u, Count(after, L"written\t"));
    if (c.written) {
        EXPECT_EQ(L"writable 512 " + ToHex(kMessage), tag);
    }

    if (c.haltAll) {
        EXPECT_EQ(0, RunProgram(InstalledPath(L"Tapdeck.exe"), L"/HaltAll"));
    } else {
        dialog.Close();
    }
    EXPECT_EQ(0, WaitForExit(dialog.Process(), 10s));
    const auto records = Records(sim::kNfcPublishedFile);
    EXPECT_EQ(Count(records, L"publish\t"), Count(records, L"withdraw\t")) << ::testing::PrintToString(records);
    EXPECT_EQ(0u, Count(records, L"unknown-withdraw\t") + Count(records, L"failed-withdraw\t"));
    const auto subscriptions = Records(sim::kNfcSubscriptionsFile);
    EXPECT_EQ(1u, Count(subscriptions, L"subscribe\t"));
    EXPECT_EQ(1u, Count(subscriptions, L"unsubscribe\t"));
    ExpectNothingLeftAlive(dialog.Process(), {L"nfc"});
}

INSTANTIATE_TEST_SUITE_P(
    Tags, WriteTagOutcome,
    ::testing::Values(
        WriteCase{"Writable", [] { PlaceTag(L"writable 512"); },
                  [](const std::wstring& s) {
                      return s != InstalledTexts(L"Tapdeck.exe", IDS_WRITE_HOLD)[0] &&
                             s.find(L"Casa Mueller") != std::wstring::npos;
                  },
                  true, false},
        WriteCase{"TooSmall", [] { PlaceTag(L"writable 48 d1010161"); },
                  [](const std::wstring& s) {
                      return s.find(L"48") != std::wstring::npos &&
                             s.find(std::to_wstring(kMessage.size())) != std::wstring::npos;
                  },
                  false, false},
        WriteCase{"TakenAwayWhileWriting", [] { PlaceTag(L"leaving 512"); },
                  [](const std::wstring& s) { return Says(s, IDS_WRITE_REMOVED); }, false, false},
        WriteCase{"ReadOnly", [] { PlaceTag(L"read-only d1010161"); },
                  [](const std::wstring& s) { return Says(s, IDS_WRITE_READ_ONLY); }, false, false},
        WriteCase{"ReaderGone", [] { sim::DeleteStateFile(sim::kNfcArea, sim::kNfcPresentFile); },
                  [](const std::wstring& s) { return Says(s, IDS_WRITE_READER_GONE); }, false, false},
        WriteCase{"Cancelled", [] {}, [](const std::wstring& s) { return Says(s, IDS_WRITE_HOLD); }, false, false},
        WriteCase{"HaltAll", [] {}, [](const std::wstring& s) { return Says(s, IDS_WRITE_HOLD); }, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Refused before anything is published: each reason named in the dialog.
struct RefusedCase {
    const char* name;
    std::wstring ssid;
    std::wstring passphrase;
    int security;
    bool radio;
    UINT says;
};

class WriteTagRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(WriteTagRefused, NamesWhyAndPublishesNothing)
{
    const RefusedCase& c = GetParam();
    TagRadio radio;
    if (!c.radio) sim::DeleteStateFile(sim::kNfcArea, sim::kNfcPresentFile);
    WriteTagDialog dialog;
    ASSERT_TRUE(dialog.Window());
    dialog.Fill(c.ssid, c.passphrase, c.security);
    dialog.Write();
    EXPECT_TRUE(dialog.WaitForStatus([&](const std::wstring& s) { return Says(s, c.says); }))
        << sim::ToUtf8(dialog.Status());
    EXPECT_TRUE(Records(sim::kNfcPublishedFile).empty());
    dialog.Close();
    EXPECT_EQ(0, WaitForExit(dialog.Process(), 10s));
}

INSTANTIATE_TEST_SUITE_P(
    Networks, WriteTagRefused,
    ::testing::Values(RefusedCase{"NameOf33Bytes", std::wstring(31, L'n') + L"\u00e9", L"sommer-2026", 0, true,
                                  IDS_WRITE_NAME_PROBLEM},
                      // A name the user cannot have typed: half a UTF-16 pair.
                      RefusedCase{"BrokenName", L"Casa \xd800", L"sommer-2026", 0, true, IDS_WRITE_NAME_PROBLEM},
                      RefusedCase{"PassphraseOf7", L"Casa", L"1234567", 1, true, IDS_WRITE_PASS_PROBLEM},
                      RefusedCase{"NoReader", L"Casa", L"", 2, false, IDS_WRITE_NO_READER}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriteTagDialogInstance, ASecondStartRaisesTheOpenDialog)
{
    TagRadio radio;
    WriteTagDialog first;
    ASSERT_TRUE(first.Window());
    EXPECT_EQ(0, RunProgram(InstalledPath(L"Tapdeck.exe"), L"/WriteWifiTag"));
    EXPECT_EQ(-1, WaitForExit(first.Process(), 0ms));
    // Once the dialog answers a sent message, the posted raise has been handled.
    ::SendMessageTimeoutW(first.Window(), WM_NULL, 0, 0, SMTO_BLOCK, 5000, nullptr);
    EXPECT_EQ(first.Window(), FindWindowWithProperty(kWriteTagDialogProp));
    EXPECT_EQ(first.Window(), ::GetForegroundWindow());
}

}  // namespace
