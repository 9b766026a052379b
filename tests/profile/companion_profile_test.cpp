// The companion profile reader on real files: good, odd and hostile ones.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "companion_profile.h"

using namespace tapdeck;

namespace {

std::wstring TempFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"tapdeck-profile-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + name;
}

// Writes bytes to a file that is removed again when the test ends.
class ProfileFile {
public:
    ProfileFile(const std::string& bytes, const wchar_t* name = L"Configuration.xml") : path_(TempFile(name))
    {
        HANDLE file = ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
    }
    ~ProfileFile() { ::DeleteFileW(path_.c_str()); }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

const std::string kEntry =
    R"(<AppInfo PackageFamilyName="Vexa.Kox_r7tq3m9xk2b4e" AppUserModelID="Vexa.Kox_r7tq3m9xk2b4e!App" )"
    R"(WiFiConnectRetryTimes="3" WiFiConnectRetryInterval="10"/>)";

std::string Entry(const std::string& family, const std::string& times, const std::string& interval)
{
    return "<AppInfo PackageFamilyName=\"" + family + "\" AppUserModelID=\"" + family + "!App\" WiFiConnectRetryTimes=\"" +
           times + "\" WiFiConnectRetryInterval=\"" + interval + "\"/>";
}

std::string Document(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Configuration>\r\n" + body + "\r\n</Configuration>\r\n";
}

// UTF-16LE bytes of ASCII text, optionally with a byte order mark.
std::string Utf16(const std::string& text, bool bom)
{
    std::string out = bom ? std::string("\xFF\xFE", 2) : std::string();
    for (char c : text) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

struct Case {
    const char* name;
    std::string bytes;
    bool result;
    std::vector<std::string> families;  // expected entries by package family name
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class ProfileCase : public ::testing::TestWithParam<Case> {};

TEST_P(ProfileCase, GivesExactlyTheSpecifiedResult)
{
    const Case& c = GetParam();
    ProfileFile file(c.bytes);
    CompanionProfileReader reader;
    EXPECT_EQ(c.result, reader.ReadProfile(file.Path()));
    std::vector<std::string> families;
    for (const AppInfoEntry& entry : reader.Entries())
        families.emplace_back(entry.packageFamilyName.begin(), entry.packageFamilyName.end());
    EXPECT_EQ(c.families, families);
}

const std::string kBillionLaughs = R"(<?xml version="1.0"?>
<!DOCTYPE lolz [<!ENTITY lol "lol"><!ENTITY lol2 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">
<!ENTITY lol3 "&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;">
<!ENTITY lol4 "&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;">]>
<Configuration><AppInfo PackageFamilyName="&lol4;" AppUserModelID="a" WiFiConnectRetryTimes="1" WiFiConnectRetryInterval="1"/></Configuration>)";

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileCase,
    ::testing::Values(
        Case{"OneEntry", Document(Entry("A_1", "3", "10")), true, {"A_1"}},
        Case{"TwoEntriesInDocumentOrder", Document(Entry("A_1", "3", "10") + Entry("B_2", "1", "1")), true, {"A_1", "B_2"}},
        Case{"LowerCaseElementName", Document("<appinfo PackageFamilyName=\"A_1\" AppUserModelID=\"A_1!App\" "
                                              "WiFiConnectRetryTimes=\"3\" WiFiConnectRetryInterval=\"10\"/>"),
             true, {"A_1"}},
        Case{"EntryNestedAnywhere", Document("<Apps><Group>" + Entry("A_1", "3", "10") + "</Group></Apps>"), true, {"A_1"}},
        Case{"PrefixedElementIsMatchedByLocalName",
             "<c:Configuration xmlns:c=\"urn:x\"><c:AppInfo PackageFamilyName=\"A_1\" AppUserModelID=\"A_1!App\" "
             "WiFiConnectRetryTimes=\"3\" WiFiConnectRetryInterval=\"10\"/></c:Configuration>",
             true, {"A_1"}},
        Case{"NoEntryAtAll", Document("<Other/>"), true, {}},
        Case{"SecondEntryWithoutAppUserModelIdFailsTheFile",
             Document(Entry("A_1", "3", "10") + "<AppInfo PackageFamilyName=\"B\" WiFiConnectRetryTimes=\"1\" "
                                                "WiFiConnectRetryInterval=\"1\"/>"),
             false, {}},
        Case{"EmptyAttributeFailsTheFile", Document(Entry("A_1", "", "10")), false, {}},
        Case{"AttributeNamesAreExact",
             Document("<AppInfo packagefamilyname=\"A_1\" AppUserModelID=\"A_1!App\" WiFiConnectRetryTimes=\"3\" "
                      "WiFiConnectRetryInterval=\"10\"/>"),
             false, {}},
        Case{"EmptyFile", "", true, {}},
        Case{"NotXml", "PackageFamilyName=A_1\r\n", true, {}},
        Case{"DocumentTypeStopsBeforeAnyElement",
             "<?xml version=\"1.0\"?><!DOCTYPE Configuration SYSTEM \"c.dtd\">" + Document(Entry("A_1", "3", "10")).substr(38),
             true, {}},
        Case{"EntityExpansionAttackNeverExpands", kBillionLaughs, true, {}},
        Case{"Utf16WithByteOrderMark", Utf16("<?xml version=\"1.0\" encoding=\"utf-16\"?><Configuration>" +
                                                 Entry("A_1", "3", "10") + "</Configuration>", true),
             true, {"A_1"}},
        Case{"Utf16WithoutByteOrderMark", Utf16("<?xml version=\"1.0\" encoding=\"utf-16\"?><Configuration>" +
                                                    Entry("A_1", "3", "10") + "</Configuration>", false),
             true, {"A_1"}},
        Case{"UnknownEncoding", "<?xml version=\"1.0\" encoding=\"x-none\"?><Configuration>" + kEntry + "</Configuration>",
             true, {}},
        Case{"TruncatedInsideText", "<Configuration>" + Entry("A_1", "3", "10") + "<Note>some te", true, {"A_1"}},
        Case{"TruncatedInsideComment", "<Configuration>" + Entry("A_1", "3", "10") + "<!-- a comm", true, {"A_1"}},
        Case{"TruncatedWithRootOpen", "<Configuration>" + Entry("A_1", "3", "10"), true, {"A_1"}},
        Case{"TruncatedInsideAnEntry", "<Configuration>" + Entry("A_1", "3", "10") + "<AppInfo PackageFamilyName=\"B",
             true, {"A_1"}},
        Case{"DeclarationAndLineEndOnly", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n", true, {}}));

// A UTF-8 file that holds only its XML declaration, or a beginning of one
// (a file caught half written). Wine's XmlLite aborts the whole process on
// it (an assertion in its reader, not an exception anyone could catch);
// Windows reports an error, which ends the reading before any element. Run
// in a process of its own so that the rest of the suite survives a failure.
TEST(CompanionProfile, DISABLED_FileEndingAtTheDeclarationInThisProcess)
{
    for (const char* text : {"<?xml version=\"1.0\" encoding=\"utf-8\"?>", "<?xml", "<?x", "\xEF\xBB\xBF",
                             "\xEF\xBB\xBF<", "\xEF\xBB\xBF<?xml version=\"1.0\"?>"}) {
        ProfileFile file(text);
        CompanionProfileReader reader;
        EXPECT_TRUE(reader.ReadProfile(file.Path())) << text;
        EXPECT_TRUE(reader.Entries().empty());
    }
}

TEST(CompanionProfile, FileEndingAtTheDeclarationEndsTheReading)
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) +
                               L"\" --gtest_also_run_disabled_tests "
                               L"--gtest_filter=CompanionProfile.DISABLED_FileEndingAtTheDeclarationInThisProcess";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(::CreateProcessW(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info));
    ::WaitForSingleObject(info.hProcess, 60000);
    DWORD code = 0;
    ::GetExitCodeProcess(info.hProcess, &code);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    EXPECT_EQ(0u, code);
}

struct Number {
    const char* text;
    int value;
};

class RetryNumber : public ::testing::TestWithParam<Number> {};

TEST_P(RetryNumber, ConvertsLikeWtoi)
{
    ProfileFile file(Document(Entry("A_1", GetParam().text, GetParam().text)));
    CompanionProfileReader reader;
    ASSERT_TRUE(reader.ReadProfile(file.Path()));
    ASSERT_EQ(1u, reader.Entries().size());
    EXPECT_EQ(GetParam().value, reader.Entries()[0].retryTimes);
    EXPECT_EQ(GetParam().value, reader.Entries()[0].retryInterval);
}

INSTANTIATE_TEST_SUITE_P(Texts, RetryNumber,
                         ::testing::Values(Number{"3", 3}, Number{"3x", 3}, Number{"x", 0}, Number{" 7", 7},
                                           Number{"-2", -2}, Number{"+4", 4}, Number{"0012", 12}, Number{"1.9", 1}));

TEST(CompanionProfile, EntryCarriesAllFourValues)
{
    ProfileFile file(Document(kEntry));
    CompanionProfileReader reader;
    ASSERT_TRUE(reader.ReadProfile(file.Path()));
    ASSERT_EQ(1u, reader.Entries().size());
    const AppInfoEntry& entry = reader.Entries()[0];
    EXPECT_EQ(L"Vexa.Kox_r7tq3m9xk2b4e", entry.packageFamilyName);
    EXPECT_EQ(L"Vexa.Kox_r7tq3m9xk2b4e!App", entry.appUserModelId);
    EXPECT_EQ(3, entry.retryTimes);
    EXPECT_EQ(10, entry.retryInterval);
}

// Windows stops at the impossible switch to the declared encoding; Wine
// reads on in the detected one. Either way the read itself succeeds.
TEST(CompanionProfile, EncodingDeclarationThatContradictsTheBytesNeverFailsTheRead)
{
    ProfileFile file("<?xml version=\"1.0\" encoding=\"utf-16\"?><Configuration>" + kEntry + "</Configuration>");
    CompanionProfileReader reader;
    EXPECT_TRUE(reader.ReadProfile(file.Path()));
    EXPECT_LE(reader.Entries().size(), 1u);
}

TEST(CompanionProfile, MissingFileEmptyPathAndFolderFail)
{
    CompanionProfileReader reader;
    EXPECT_FALSE(reader.ReadProfile(L""));
    EXPECT_FALSE(reader.ReadProfile(TempFile(L"does-not-exist.xml")));
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    EXPECT_FALSE(reader.ReadProfile(folder));
}

TEST(CompanionProfile, FailedReadLeavesNoEntriesFromAnEarlierOne)
{
    ProfileFile good(Document(kEntry), L"good.xml");
    ProfileFile bad(Document(kEntry + "<AppInfo PackageFamilyName=\"B\"/>"), L"bad.xml");
    CompanionProfileReader reader;
    ASSERT_TRUE(reader.ReadProfile(good.Path()));
    EXPECT_FALSE(reader.ReadProfile(bad.Path()));
    EXPECT_TRUE(reader.Entries().empty());
    EXPECT_FALSE(reader.ReadProfile(L""));
    EXPECT_TRUE(reader.Entries().empty());
}

TEST(CompanionProfile, MegabytesOfIgnoredElementsAreStreamedThrough)
{
    std::string body;
    for (int i = 0; i < 60000; ++i) body += "<Padding index=\"" + std::to_string(i) + "\">ignored text</Padding>\r\n";
    ProfileFile file(Document(body + Entry("Last_1", "3", "10")));
    CompanionProfileReader reader;
    ASSERT_TRUE(reader.ReadProfile(file.Path()));
    ASSERT_EQ(1u, reader.Entries().size());
    EXPECT_EQ(L"Last_1", reader.Entries()[0].packageFamilyName);
}

}  // namespace
