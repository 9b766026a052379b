// Reading "Command.Info": what runs, what makes the whole file fail, and
// that a broken or hostile file never hangs the reader.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <chrono>
#include <functional>
#include <iterator>

#include "bounded_read.h"
#include "com_ptr.h"
#include "command_file.h"
#include "test_folder.h"

using namespace tapdeck;
using namespace tapdeck::test;

namespace {

struct ReadCase {
    const char* label;
    std::string xml;
    bool succeeds;
    // "name:value,value;name:..." of the commands read.
    std::string expected;
};

std::string Describe(const std::vector<Command>& commands)
{
    std::string text;
    for (const Command& command : commands) {
        if (!text.empty()) text += ";";
        text += std::string(command.name.begin(), command.name.end()) + ":";
        for (size_t i = 0; i < command.arguments.size(); ++i) {
            if (i) text += ",";
            const std::wstring& value = command.arguments[i].value;
            text += std::string(value.begin(), value.end());
        }
    }
    return text;
}

bool ReadBytesAsCommands(const std::string& bytes, std::vector<Command>& commands)
{
    com_ptr<IStream> stream = com_ptr<IStream>::attach(
        ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
    return ReadCommandStream(stream.get(), commands);
}

const std::string kTwoLaunches = R"(<?xml version="1.0" encoding="utf-8"?>
<CommandInfo>
  <Command name="LaunchPS"><ArgumentList>
    <Argument name="a" value="C:\Pictures\one.jpg"/><Argument name="b" value="two.jpg"/>
  </ArgumentList></Command>
  <Command name="LaunchPS"><ArgumentList>
    <Argument name="a" value="three.jpg"/><Argument name="b" value="four.jpg"/>
  </ArgumentList></Command>
</CommandInfo>)";

// n commands named name, each with arguments values "v"; and what they read as.
std::string Flood(int n, const char* name, int arguments)
{
    std::string xml = "<r>";
    for (int i = 0; i < n; ++i) {
        xml += std::string("<Command name=\"") + name + "\"><ArgumentList>";
        for (int a = 0; a < arguments; ++a) xml += "<Argument name=\"n\" value=\"v\"/>";
        xml += "</ArgumentList></Command>";
    }
    return xml + "</r>";
}
std::string FloodRead(int n, const char* name, int arguments)
{
    std::string text;
    for (int i = 0; i < n; ++i) {
        text += std::string(i ? ";" : "") + name + ":";
        for (int a = 0; a < arguments; ++a) text += a ? ",v" : "v";
    }
    return text;
}

class CommandFileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(CommandFileRead, GivesTheCommandsOrFailsAsAWhole)
{
    std::vector<Command> commands;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(GetParam().succeeds, ReadBytesAsCommands(GetParam().xml, commands));
    EXPECT_EQ(GetParam().expected, Describe(commands));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << "the reader must not spin";
}

INSTANTIATE_TEST_SUITE_P(
    Documents, CommandFileRead,
    ::testing::Values(
        ReadCase{"two_launches_in_order", kTwoLaunches, true,
                 "LaunchPS:C:\\Pictures\\one.jpg,two.jpg;LaunchPS:three.jpg,four.jpg"},
        ReadCase{"element_names_without_case",
                 R"(<r><COMMAND name="WiFiDisconnect"><argumentlist><ARGUMENT name="n" value="Cam"/></argumentlist></COMMAND></r>)",
                 true, "WiFiDisconnect:Cam"},
        ReadCase{"attribute_names_exactly",
                 R"(<r><Command Name="X"><ArgumentList/></Command></r>)", false, ""},
        ReadCase{"one_command_without_name_fails_all",
                 R"(<r><Command name="WiFiDisconnect"><ArgumentList><Argument name="n" value="Cam"/></ArgumentList></Command><Command><ArgumentList/></Command></r>)",
                 false, ""},
        ReadCase{"empty_root_reads_nothing", R"(<?xml version="1.0"?><CommandInfo/>)", true, ""},
        ReadCase{"argument_without_value_is_skipped",
                 R"(<r><Command name="LaunchPS"><ArgumentList><Argument name="a"/><Argument name="b" value=""/><Argument name="c" value="x"/></ArgumentList></Command></r>)",
                 true, "LaunchPS:x"},
        ReadCase{"values_are_kept_unchanged",
                 R"(<r><Command name="LaunchPS"><ArgumentList><Argument name="a" value="&quot;C:\My Pictures\a b.jpg&quot; &amp; del *.* | calc &gt; x"/></ArgumentList></Command></r>)",
                 true, "LaunchPS:\"C:\\My Pictures\\a b.jpg\" & del *.* | calc > x"},
        ReadCase{"command_without_argument_list_takes_what_follows",
                 R"(<r><Command name="A"/><Command name="B"><ArgumentList><Argument name="n" value="v"/></ArgumentList></Command></r>)",
                 true, "A:v"},
        ReadCase{"command_as_last_node_fails", R"(<Command name="A"/>)", false, ""},
        ReadCase{"empty_file", "", false, ""},
        // Caught half written: some readers abort the process on these.
        ReadCase{"byte_order_mark_only", "\xEF\xBB\xBF", false, ""},
        ReadCase{"byte_order_mark_and_a_bracket", "\xEF\xBB\xBF<", false, ""},
        ReadCase{"declaration_only", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>", false, ""},
        ReadCase{"beginning_of_a_declaration", "<?xm", false, ""},
        ReadCase{"nul_after_the_byte_order_mark", std::string("\xEF\xBB\xBF\0<r><Command name=\"A\"><ArgumentList/></Command></r>", 54),
                 false, ""},
        ReadCase{"not_xml", "WiFiDisconnect Cam", false, ""},
        ReadCase{"doctype_is_refused",
                 R"(<?xml version="1.0"?><!DOCTYPE r [<!ENTITY x "Cam">]><r><Command name="WiFiDisconnect"><ArgumentList><Argument name="n" value="&x;"/></ArgumentList></Command></r>)",
                 false, ""},
        ReadCase{"cut_inside_an_element", kTwoLaunches.substr(0, 120), false, ""},
        ReadCase{"cut_after_a_complete_command", kTwoLaunches.substr(0, kTwoLaunches.find("<Command", 60)), false,
                 ""},
        ReadCase{"cut_inside_text", R"(<r><Command name="A"><ArgumentList></ArgumentList></Command>some te)", false,
                 ""},
        ReadCase{"cut_inside_a_comment", R"(<r><Command name="A"><ArgumentList></ArgumentList></Command><!-- a)",
                 false, ""},
        ReadCase{"root_left_open", R"(<r><Command name="A"><ArgumentList></ArgumentList></Command>)", false, ""},
        // A file may start only a few programs: beyond its limits nothing runs.
        ReadCase{"sixteen_commands", Flood(16, "A", 4), true, FloodRead(16, "A", 4)},
        ReadCase{"seventeen_commands", Flood(17, "A", 0), false, ""},
        ReadCase{"sixty_four_arguments", Flood(2, "LaunchPS", 32), true, FloodRead(2, "LaunchPS", 32)},
        ReadCase{"sixty_five_arguments", Flood(1, "LaunchPS", 65), false, ""},
        ReadCase{"three_hundred_disconnects", Flood(300, "WiFiDisconnect", 1), false, ""},
        ReadCase{"five_hundred_commands", Flood(500, "C", 1), false, ""},
        ReadCase{"a_mebibyte_of_commands", Flood(16000, "LaunchPS", 0), false, ""},
        ReadCase{"utf16_with_bom",
                 Utf16WithBom(LR"(<r><Command name="Z"><ArgumentList/></Command></r>)"),
                 true, "Z:"}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.label); });

class CommandFileOnDisk : public ::testing::Test {
protected:
    TestFolder folder_{L"commandfile"};
    std::wstring path_ = folder_.Join(L"Command.Info");
};

TEST_F(CommandFileOnDisk, FileReadByPathGivesItsCommands)
{
    ASSERT_TRUE(WriteBytes(path_, kTwoLaunches));
    std::vector<Command> commands;
    EXPECT_TRUE(CommandFile().Read(path_, commands));
    EXPECT_EQ(2u, commands.size());
    EXPECT_FALSE(CommandFile().Read(folder_.Join(L"missing.info"), commands));
    EXPECT_FALSE(CommandFile().Read(L"", commands));
}

struct DeletionCase {
    const char* label;
    DWORD attributes;
    bool rewritten;  // by the app, after the read
    CommandFile::Deletion result;
    bool writerOpen = false;  // the app opened it after the read and writes only after the deletion step
    // The writer's sharing; it opened the file before the read.
    DWORD writerShare = FILE_SHARE_READ | FILE_SHARE_DELETE;
    bool writerFirst = false;
};

class CommandFileDeletion : public CommandFileOnDisk, public ::testing::WithParamInterface<DeletionCase> {};

// Only the content read is deleted, a read-only attribute does not keep it,
// and nothing of the file stays open while its commands run.
TEST_P(CommandFileDeletion, DeletesWhatWasReadAndLetsGoOfTheRest)
{
    const std::string next = R"(<r><Command name="WiFiDisconnect"><ArgumentList><Argument name="n" value="Cam"/></ArgumentList></Command></r>)";
    ASSERT_TRUE(WriteBytes(path_, kTwoLaunches));
    ASSERT_TRUE(::SetFileAttributesW(path_.c_str(), GetParam().attributes));
    unique_file writer;
    const auto openWriter = [&] {
        writer.reset(::CreateFileW(path_.c_str(), GENERIC_WRITE, GetParam().writerShare, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
        return static_cast<bool>(writer);
    };
    if (GetParam().writerOpen && GetParam().writerFirst) {
        ASSERT_TRUE(openWriter());
    }
    std::vector<Command> commands;
    CommandFile file;
    ASSERT_TRUE(file.Read(path_, commands)) << "reading asks for no more than the writer shares";
    EXPECT_EQ(2u, commands.size());
    if (GetParam().rewritten) {
        ASSERT_TRUE(WriteBytes(path_, next));
    }
    if (GetParam().writerOpen && !GetParam().writerFirst) {
        ASSERT_TRUE(openWriter());
    }

    EXPECT_EQ(GetParam().result, file.DeleteIfUnchanged());
    if (writer) {
        DWORD written = 0;
        ::WriteFile(writer.get(), next.data(), static_cast<DWORD>(next.size()), &written, nullptr);
        ::SetEndOfFile(writer.get());
        writer.reset();
    }
    if (GetParam().result == CommandFile::Deletion::Deleted) {
        EXPECT_FALSE(Exists(path_));
    } else {
        std::string bytes;
        ASSERT_TRUE(ReadBytes(path_, bytes));
        EXPECT_EQ(next, bytes);
        EXPECT_TRUE(unique_file(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)))
            << "the app may open it as it likes";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, CommandFileDeletion,
    ::testing::Values(DeletionCase{"unchanged", FILE_ATTRIBUTE_NORMAL, false, CommandFile::Deletion::Deleted},
                      DeletionCase{"read_only", FILE_ATTRIBUTE_READONLY, false, CommandFile::Deletion::Deleted},
                      DeletionCase{"read_only_hidden", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, false,
                                   CommandFile::Deletion::Deleted},
                      DeletionCase{"rewritten", FILE_ATTRIBUTE_NORMAL, true, CommandFile::Deletion::Changed},
                      DeletionCase{"being_rewritten", FILE_ATTRIBUTE_NORMAL, false, CommandFile::Deletion::Held,
                                   true},
                      DeletionCase{"held_by_a_writer_sharing_reading_only", FILE_ATTRIBUTE_NORMAL, false,
                                   CommandFile::Deletion::Held, true, FILE_SHARE_READ, true}),
    [](const ::testing::TestParamInfo<DeletionCase>& info) { return std::string(info.param.label); });

TEST_F(CommandFileOnDisk, EnormousFileIsNotReadNorDeleted)
{
    std::string xml = "<r>";
    while (xml.size() <= kMaxCompanionFileBytes) xml += "<Command name=\"LaunchPS\"><ArgumentList/></Command>";
    xml += "</r>";
    ASSERT_TRUE(WriteBytes(path_, xml));
    std::vector<Command> commands;
    CommandFile file;
    EXPECT_FALSE(file.Read(path_, commands));
    EXPECT_TRUE(commands.empty());
    EXPECT_TRUE(Exists(path_));
}

// A half-written file, and another name of a file that lives elsewhere too:
// through it the agent would read, and delete, what the app cannot.
TEST_F(CommandFileOnDisk, FailedReadLeavesTheFile)
{
    const std::wstring target = folder_.Join(L"target.xml");
    ASSERT_TRUE(WriteBytes(target, kTwoLaunches));
    const std::function<bool()> makers[] = {
        [&] { return WriteBytes(path_, kTwoLaunches.substr(0, 100)); },
        [&] { return ::CreateHardLinkW(path_.c_str(), target.c_str(), nullptr) != FALSE; },
    };
    for (size_t row = 0; row < std::size(makers); ++row) {
        ::DeleteFileW(path_.c_str());
        ASSERT_TRUE(makers[row]()) << "row " << row << " error " << ::GetLastError();
        std::vector<Command> commands;
        CommandFile file;
        EXPECT_FALSE(file.Read(path_, commands)) << "row " << row;
        EXPECT_TRUE(Exists(path_)) << "row " << row;
    }
}

}  // namespace
