// Publish requests of every size and content sent to the running agent from
// another process, as WM_COPYDATA blocks and as "/Publish" command lines:
// the agent answers each in time, publishes exactly the payloads whose data
// is hexadecimal text (the radio's record holds the bytes it got), nothing
// else, and still answers a touch afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "../nfc/nfc_test_world.h"
#include "agent_messages.h"
#include "fuzz_run.h"
#include "hex.h"
#include "mutator.h"
#include "support/process.h"
#include "utf8.h"

using namespace std::chrono_literals;
using namespace tapdeck;
using namespace tapdeck::fuzz;
using namespace tapdeck::test;

namespace {

// The lines the radio recorded since the last call.
class RecordTail {
public:
    std::vector<std::wstring> Next()
    {
        std::vector<std::wstring> lines;
        unique_file file(::CreateFileW(sim::StatePath(sim::kNfcArea, sim::kNfcPublishedFile).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       0, nullptr));
        if (!file) return lines;
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(offset_);
        ::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN);
        std::string bytes;
        char chunk[65536];
        DWORD read = 0;
        while (::ReadFile(file.get(), chunk, sizeof(chunk), &read, nullptr) && read > 0) bytes.append(chunk, read);
        const size_t end = bytes.rfind('\n');
        if (end == std::string::npos) return lines;
        offset_ += end + 1;
        for (const std::wstring& line : Lines(sim::FromUtf8(bytes.substr(0, end + 1)))) lines.push_back(line);
        return lines;
    }

private:
    size_t offset_ = 0;
};

// What the rules publish for a block: the lowercase hexadecimal text of the
// bytes, or nothing. The text is the platform's UTF-8 reading of the block;
// the type runs from the first slash for (first blank - 1) characters; the
// data follows the last slash and must be hexadecimal text.
std::optional<std::wstring> Published(const std::string& block)
{
    const std::wstring text = FromUtf8(block);
    if (text.empty()) return std::nullopt;
    const size_t slash = text.find(L'/');
    const size_t blank = text.find(L' ');
    std::wstring type;
    if (slash != std::wstring::npos && blank != std::wstring::npos && static_cast<long long>(blank) - 1 > 0)
        type = text.substr(slash + 1, blank - 1);
    const size_t last = text.rfind(L'/');
    const std::wstring data = last == std::wstring::npos ? L"" : text.substr(last + 1);
    std::vector<BYTE> bytes;
    if (type.empty() || data.empty() || !tapdeck::FromHex(data, bytes)) return std::nullopt;
    return tapdeck::ToHex(bytes);
}

std::string RandomHex(Random& random, size_t bytes)
{
    static const char digits[] = "0123456789abcdefABCDEF";
    std::string text;
    for (size_t i = 0; i < 2 * bytes; ++i) text += digits[random.Below(22)];
    return text;
}

const Mutator<std::string> kMutator{"/ 0123456789abcdefABCDEFgx:.\xC3\xA9\xFF\x80\t",
                                    {"/", " ", " /", "/NDEF ", "00", "\xEF\xBB\xBF", std::string(1, '\0'), "\xED\xA0\x80"}};

// A block of about the size given, and the kind it is.
std::string Block(Random& random, size_t size, std::string& kind)
{
    std::string block;
    switch (random.Below(6)) {
    case 0:
        kind = "well-formed payload";
        block = "/NDEF:ext." + std::to_string(random.Below(100)) + " /";
        break;
    case 1:
        kind = "well-formed payload, slashes in its data";
        block = "/Type /a/b c/";
        break;
    case 2:
        kind = "any bytes";
        for (size_t i = 0; i < size; ++i) block += static_cast<char>(random.Below(256));
        return block;
    case 3:
        kind = "characters of the payload's alphabet";
        for (size_t i = 0; i < size; ++i) block += kMutator.alphabet[random.Below(kMutator.alphabet.size())];
        return block;
    default:
        kind = "mutated payload";
        block = "/NDEF /" + RandomHex(random, size / 2 + 1);
        kMutator.Mutate(random, block);
        return block;
    }
    if (block.size() < size) block += RandomHex(random, (size - block.size()) / 2);
    if (random.OneIn(8) && block.size() < size) block += "0";  // odd number of digits
    return block;
}

class PublishFuzz : public ::testing::Test {
protected:
    void SetUp() override
    {
        FreshNfcWorld(true);
        Register(L"Recorder", L"NDEF", kRecorder);
        agent_ = StartProgram(Agent(), L"/AutoStart");
        ASSERT_TRUE(agent_);
        ASSERT_TRUE(WaitUntil([] { return ActiveSubscriptions(L"NDEF") > 0; }, 20s));
        ASSERT_TRUE(WaitUntil([] { return FindWindowWithProperty(kAgentWindowProp) != nullptr; }, 10s));
        window_ = FindWindowWithProperty(kAgentWindowProp);
    }
    void TearDown() override
    {
        if (agent_ && WaitForExit(agent_.get(), 0ms) == -1) {
            RunProgram(Agent(), L"/HaltAll");
            if (WaitForExit(agent_.get(), 10s) == -1) ::TerminateProcess(agent_.get(), 1);
        }
        ClearRegistrations();
        ResetRadio();
    }

    // The agent took it all: same window, still running, and a touch still
    // starts the handler.
    void ExpectAgentAnswers()
    {
        EXPECT_EQ(-1, WaitForExit(agent_.get(), 0ms)) << "the agent ended";
        EXPECT_EQ(window_, FindWindowWithProperty(kAgentWindowProp));
        ClearHandlerStarts();
        const std::string message = TagMessage(L"NDEF", "01");
        EXPECT_EQ(1, sim::BroadcastRadioRequest(TouchRequest(message)));
        ASSERT_TRUE(WaitForRecorders());
        EXPECT_EQ(std::vector<std::wstring>{L"nfc-recorder.exe\t" + sim::FromUtf8(message)}, HandlerStarts());
    }

    // Compares what the radio recorded since the last check with what the
    // rules publish for the payload.
    bool Check(RecordTail& records, const std::optional<std::wstring>& expected, std::uint64_t seed, Tally& tally,
               const std::string& kind)
    {
        const std::vector<std::wstring> lines = records.Next();
        bool right = false;
        if (!expected) {
            right = lines.empty();
        } else if (lines.size() == 1 && lines[0].rfind(L"publish\t", 0) == 0) {
            const size_t tab = lines[0].rfind(L'\t');
            right = lines[0].substr(tab - 5) == L"\tNDEF\t" + *expected;
        }
        tally.Add(!right ? "WRONG" : expected ? "published exactly its bytes" : "not published");
        tally.AddKind(kind);
        if (!right && ++wrong_ <= 5) {
            ADD_FAILURE() << "input 0x" << std::hex << seed << " (" << kind << "): " << lines.size()
                          << " records, expected " << (expected ? sim::ToUtf8(expected->substr(0, 64)) : "none");
        }
        return right;
    }

    unique_handle agent_;
    HWND window_ = nullptr;
    long long wrong_ = 0;
};

TEST_F(PublishFuzz, CopyDataBlocksOfEverySizeAndContent)
{
    const Settings settings = Settings::Read(750, 0xC0DA7A);
    Tally tally;
    RecordTail records;
    long long sent = 0;
    const auto send = [&](std::uint64_t seed, Random& random, size_t size) {
        std::string kind;
        std::string block = Block(random, size, kind);
        COPYDATASTRUCT data{};
        data.dwData = random.OneIn(8) ? static_cast<ULONG_PTR>(random.Next()) : 0;
        data.cbData = static_cast<DWORD>(block.size());
        data.lpData = block.empty() ? nullptr : block.data();
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutW(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 30000,
                                   &result)) {
            ADD_FAILURE() << "input 0x" << std::hex << seed << ": the agent did not answer within 30 s";
            tally.Add("NO ANSWER");
            return;
        }
        ++sent;
        Check(records, Published(block), seed, tally, kind);
    };
    // Every size from none to 600 bytes, then random sizes up to 1 MiB.
    if (!settings.replay) {
        Watchdog watchdog("WM_COPYDATA", 60s);
        for (size_t size = 0; size <= 600; ++size) {
            const std::uint64_t seed = InputSeed(settings.seed, -1 - static_cast<long long>(size));
            Random random(seed);
            watchdog.Begin(seed);
            send(seed, random, size);
            watchdog.End();
        }
    }
    ForEachInput("WM_COPYDATA", settings, 60s, [&](std::uint64_t seed, Random& random) {
        send(seed, random, random.OneIn(100) ? random.Below((1 << 20) + 1) : random.Length(4096));
    });
    tally.Print("WM_COPYDATA blocks to the running agent", settings);
    EXPECT_EQ(0, wrong_);
    ExpectAgentAnswers();
}

TEST_F(PublishFuzz, PublishCommandLinesOfEverySizeAndContent)
{
    const Settings settings = Settings::Read(20, 0x9B1157);
    Tally tally;
    RecordTail records;
    ForEachInput("/Publish", settings, 60s, [&](std::uint64_t seed, Random& random) {
        std::string kind;
        // Command lines hold at most 32767 characters.
        const size_t size = random.OneIn(10) ? 20000 + random.Below(12000) : random.Length(600);
        std::wstring payload = sim::FromUtf8(Block(random, size, kind));
        // Text no UTF-8 can carry: a lone surrogate.
        if (random.OneIn(10)) payload.insert(random.Below(payload.size() + 1), 1, wchar_t(0xD800));
        // NUL ends a command line.
        payload = payload.substr(0, payload.find(L'\0'));
        const wchar_t separator = random.OneIn(6) ? L'x' : L' ';
        const long code = RunProgram(Agent(), L"/Publish" + std::wstring(1, separator) + payload, 60s);
        if (code != 0) {
            ADD_FAILURE() << "input 0x" << std::hex << seed << ": the second instance ended with " << std::dec << code;
            tally.Add("SECOND INSTANCE FAILED");
            return;
        }
        // The second instance sends the payload as UTF-8, as the platform
        // converts it.
        Check(records, Published(ToUtf8(payload)), seed, tally, kind);
    });
    tally.Print("/Publish command lines to the running agent", settings);
    EXPECT_EQ(0, wrong_);
    ExpectAgentAnswers();
}

}  // namespace
