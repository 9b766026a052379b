// "Session.info": the writer calls in order; the file as written here,
// read back by content and escaping; and the session identifier read
// from "App.Info".
#include <gtest/gtest.h>

#include <shlwapi.h>
#include <xmllite.h>

#include <string>
#include <vector>

#include "bounded_read.h"
#include "com_ptr.h"
#include "session_info.h"
#include "test_folder.h"

using namespace tapdeck;
using namespace tapdeck::test;

namespace {

// Records every call; the call at failAt fails.
class RecordingWriter : public IXmlWriter {
public:
    std::vector<std::wstring> calls;
    int failAt = -1;  // index of the call that fails, -1 for none

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE SetOutput(IUnknown*) override { return Call(L"SetOutput"); }
    HRESULT STDMETHODCALLTYPE GetProperty(UINT, LONG_PTR*) override { return Call(L"GetProperty"); }
    HRESULT STDMETHODCALLTYPE SetProperty(UINT, LONG_PTR) override { return Call(L"SetProperty"); }
    HRESULT STDMETHODCALLTYPE WriteAttributes(IXmlReader*, WINBOOL) override { return Call(L"WriteAttributes"); }
    HRESULT STDMETHODCALLTYPE WriteAttributeString(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR) override
    {
        return Call(L"WriteAttributeString");
    }
    HRESULT STDMETHODCALLTYPE WriteCData(LPCWSTR) override { return Call(L"WriteCData"); }
    HRESULT STDMETHODCALLTYPE WriteCharEntity(WCHAR) override { return Call(L"WriteCharEntity"); }
    HRESULT STDMETHODCALLTYPE WriteChars(const WCHAR*, UINT) override { return Call(L"WriteChars"); }
    HRESULT STDMETHODCALLTYPE WriteComment(LPCWSTR) override { return Call(L"WriteComment"); }
    HRESULT STDMETHODCALLTYPE WriteDocType(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR) override
    {
        return Call(L"WriteDocType");
    }
    HRESULT STDMETHODCALLTYPE WriteElementString(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR) override
    {
        return Call(L"WriteElementString");
    }
    HRESULT STDMETHODCALLTYPE WriteEndDocument() override { return Call(L"EndDocument"); }
    HRESULT STDMETHODCALLTYPE WriteEndElement() override { return Call(L"WriteEndElement"); }
    HRESULT STDMETHODCALLTYPE WriteEntityRef(LPCWSTR) override { return Call(L"WriteEntityRef"); }
    HRESULT STDMETHODCALLTYPE WriteFullEndElement() override { return Call(L"FullEnd"); }
    HRESULT STDMETHODCALLTYPE WriteName(LPCWSTR) override { return Call(L"WriteName"); }
    HRESULT STDMETHODCALLTYPE WriteNmToken(LPCWSTR) override { return Call(L"WriteNmToken"); }
    HRESULT STDMETHODCALLTYPE WriteNode(IXmlReader*, WINBOOL) override { return Call(L"WriteNode"); }
    HRESULT STDMETHODCALLTYPE WriteNodeShallow(IXmlReader*, WINBOOL) override { return Call(L"WriteNodeShallow"); }
    HRESULT STDMETHODCALLTYPE WriteProcessingInstruction(LPCWSTR, LPCWSTR) override { return Call(L"WritePI"); }
    HRESULT STDMETHODCALLTYPE WriteQualifiedName(LPCWSTR, LPCWSTR) override { return Call(L"WriteQualifiedName"); }
    HRESULT STDMETHODCALLTYPE WriteRaw(LPCWSTR) override { return Call(L"WriteRaw"); }
    HRESULT STDMETHODCALLTYPE WriteRawChars(const WCHAR*, UINT) override { return Call(L"WriteRawChars"); }
    HRESULT STDMETHODCALLTYPE WriteStartDocument(XmlStandalone standalone) override
    {
        return Call(standalone == XmlStandalone_Omit ? L"StartDocument(Omit)" : L"StartDocument(other)");
    }
    HRESULT STDMETHODCALLTYPE WriteStartElement(LPCWSTR prefix, LPCWSTR name, LPCWSTR uri) override
    {
        return Call(std::wstring(L"Start(") + (prefix ? L"prefix," : L"") + name + (uri ? L",uri" : L"") + L")");
    }
    HRESULT STDMETHODCALLTYPE WriteString(LPCWSTR text) override { return Call(std::wstring(L"String(") + text + L")"); }
    HRESULT STDMETHODCALLTYPE WriteSurrogateCharEntity(WCHAR, WCHAR) override { return Call(L"WriteSurrogate"); }
    HRESULT STDMETHODCALLTYPE WriteWhitespace(LPCWSTR text) override
    {
        return Call(std::wstring(L"Whitespace(") + text + L")");
    }
    HRESULT STDMETHODCALLTYPE Flush() override { return Call(L"Flush"); }

private:
    HRESULT Call(const std::wstring& call)
    {
        const int index = static_cast<int>(calls.size());
        calls.push_back(call);
        return index == failAt ? E_FAIL : S_OK;
    }
};

// The calls for one answer: every element with a full end tag, also an
// empty one; the texts handed over as they are, for the writer to escape.
std::vector<std::wstring> SessionCalls(const std::wstring& id, const std::wstring& status, const std::wstring& version)
{
    return {L"StartDocument(Omit)", L"Whitespace(\n)", L"Start(SessionInfo)", L"Whitespace(\n)",
            L"Whitespace(    )", L"Start(SessionID)", L"String(" + id + L")", L"FullEnd", L"Whitespace(\n)",
            L"Whitespace(    )", L"Start(PSInfo)", L"Whitespace(\n)", L"Whitespace(        )",
            L"Start(InstallStatus)", L"String(" + status + L")", L"FullEnd", L"Whitespace(\n)",
            L"Whitespace(        )", L"Start(Version)", L"String(" + version + L")", L"FullEnd", L"Whitespace(\n)",
            L"Whitespace(    )", L"FullEnd", L"Whitespace(\n)", L"EndDocument", L"Flush"};
}

const std::vector<std::wstring> kCalls = SessionCalls(L"id", L"1", L"11.0");

struct AnswerCase {
    const char* label;
    const wchar_t* id;
    const wchar_t* status;
    const wchar_t* version;
};

class SessionInfoWriter : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(SessionInfoWriter, MakesTheDocumentCallsInOrder)
{
    RecordingWriter writer;
    EXPECT_EQ(S_OK, WriteSessionDocument(&writer, GetParam().id, GetParam().status, GetParam().version));
    EXPECT_EQ(SessionCalls(GetParam().id, GetParam().status, GetParam().version), writer.calls);
}

INSTANTIATE_TEST_SUITE_P(Answers, SessionInfoWriter,
                         ::testing::Values(AnswerCase{"installed", L"S-1", L"1", L"11.0"},
                                           AnswerCase{"not_installed_empty_version", L"abc", L"0", L""},
                                           AnswerCase{"identifier_unescaped", L"a&b<c>", L"0", L""}),
                         [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.label); });

class SessionInfoWriterFailure : public ::testing::TestWithParam<int> {};

TEST_P(SessionInfoWriterFailure, FirstFailingMarkupCallEndsTheDocument)
{
    RecordingWriter writer;
    writer.failAt = GetParam();
    const HRESULT hr = WriteSessionDocument(&writer, L"id", L"1", L"11.0");
    if (kCalls[GetParam()].rfind(L"Whitespace(", 0) == 0) {
        // Layout refused (as some writers refuse it before the root): the
        // document still gets all its markup.
        EXPECT_EQ(S_OK, hr);
        EXPECT_EQ(kCalls, writer.calls);
    } else {
        EXPECT_EQ(E_FAIL, hr);
        EXPECT_EQ(static_cast<size_t>(GetParam()) + 1, writer.calls.size());
    }
}

INSTANTIATE_TEST_SUITE_P(EveryCall, SessionInfoWriterFailure, ::testing::Range(0, 27));

// The element texts of a document, as "name=text" in document order.
std::vector<std::wstring> ParsedContent(const std::wstring& path)
{
    std::vector<std::wstring> content;
    com_ptr<IStream> stream;
    if (FAILED(::SHCreateStreamOnFileEx(path.c_str(), STGM_READ, FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, stream.put())))
        return content;
    com_ptr<IXmlReader> reader;
    if (FAILED(::CreateXmlReader(__uuidof(IXmlReader), reader.put_void(), nullptr))) return content;
    reader->SetInput(stream.get());
    XmlNodeType type;
    const wchar_t* text = nullptr;
    while (reader->Read(&type) == S_OK) {
        if (type == XmlNodeType_Element) {
            reader->GetLocalName(&text, nullptr);
            content.push_back(std::wstring(text) + L"=");
        } else if (type == XmlNodeType_Text && !content.empty()) {
            reader->GetValue(&text, nullptr);
            content.back() += text;
        } else if (type == XmlNodeType_EndElement) {
            reader->GetLocalName(&text, nullptr);
            content.push_back(L"/" + std::wstring(text));
        }
    }
    return content;
}

TEST(SessionInfoFile, WrittenFileHoldsTheAnswerAndReplacesTheLastOne)
{
    TestFolder folder(L"sessioninfo");
    const std::wstring path = folder.Join(L"Session.info");
    ASSERT_TRUE(WriteSessionInfo(path, L"a much longer identifier & more", L"1", L"11.0.1"));
    ASSERT_TRUE(WriteSessionInfo(path, L"x<y", L"0", L""));
    const std::vector<std::wstring> expected = {L"SessionInfo=", L"SessionID=x<y", L"/SessionID", L"PSInfo=",
                                                L"InstallStatus=0", L"/InstallStatus", L"Version=", L"/Version",
                                                L"/PSInfo", L"/SessionInfo"};
    EXPECT_EQ(expected, ParsedContent(path));
    std::string bytes;
    ASSERT_TRUE(ReadBytes(path, bytes));
    EXPECT_NE(std::string::npos, bytes.find("x&lt;y"));
    EXPECT_EQ('>', bytes.back()) << "no line end after the last tag";
}

// Nor is the reply written through another name of a file: the agent's
// rights would reach files that the app cannot write.
TEST(SessionInfoFile, UnwritableFolderReportsFailure)
{
    EXPECT_FALSE(WriteSessionInfo(L"C:\\no-such-folder-tapdeck\\Session.info", L"id", L"0", L""));
    TestFolder folder(L"sessionlink");
    const std::wstring path = folder.Join(L"Session.info");
    const std::wstring target = folder.Join(L"users-file.txt");
    ASSERT_TRUE(WriteBytes(target, "the user's own"));
    ASSERT_TRUE(::CreateHardLinkW(path.c_str(), target.c_str(), nullptr));
    EXPECT_FALSE(WriteSessionInfo(path, L"id", L"0", L""));
    std::string bytes;
    EXPECT_TRUE(ReadBytes(target, bytes) && bytes == "the user's own");
}

struct IdCase {
    const char* label;
    std::string xml;
    bool found;
    std::wstring id;
};

class SessionIdRead : public ::testing::TestWithParam<IdCase> {};

TEST_P(SessionIdRead, TakesTheFirstTextAfterTheIdentifierElement)
{
    TestFolder folder(L"sessionid");
    const std::wstring path = folder.Join(L"App.Info");
    ASSERT_TRUE(WriteBytes(path, GetParam().xml));
    std::wstring id = L"stale";
    EXPECT_EQ(GetParam().found, ReadSessionId(path, id));
    EXPECT_EQ(GetParam().id, id.size() > 64 ? L"(" + std::to_wstring(id.size()) + L" characters)" : id);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, SessionIdRead,
    ::testing::Values(
        IdCase{"plain", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?><AppInfo><SessionID>S-42</SessionID></AppInfo>",
               true, L"S-42"},
        IdCase{"any_root_any_case", "<Whatever><sessionid>s</sessionid></Whatever>", true, L"s"},
        IdCase{"text_after_a_nested_element", "<a><SessionID><b/>after</SessionID></a>", true, L"after"},
        IdCase{"whitespace_is_not_the_identifier", "<a><SessionID>\n  <b/>id</SessionID></a>", true, L"id"},
        IdCase{"empty_identifier_then_later_text", "<a><SessionID></SessionID><c>later</c></a>", true, L"later"},
        IdCase{"escaped_text", "<a><SessionID>a&amp;b&lt;c</SessionID></a>", true, L"a&b<c"},
        IdCase{"cdata_is_not_taken", "<a><SessionID><![CDATA[c]]></SessionID></a>", false, L""},
        IdCase{"no_identifier_element", "<a><Session>s</Session></a>", false, L""},
        IdCase{"empty_file", "", false, L""},
        IdCase{"byte_order_mark_only", "\xEF\xBB\xBF", false, L""},
        IdCase{"declaration_only", "<?xml version=\"1.0\"?>", false, L""},
        IdCase{"nul_after_the_declaration", std::string("<?xml version=\"1.0\"?>\0<a><SessionID>s</SessionID></a>", 53),
               false, L""},
        IdCase{"not_xml", "S-42", false, L""},
        IdCase{"doctype_is_refused", "<!DOCTYPE a [<!ENTITY e \"x\">]><a><SessionID>&e;</SessionID></a>", false, L""},
        IdCase{"cut_before_the_identifier", "<a><SessionID>", false, L""},
        IdCase{"utf16_with_bom", Utf16WithBom(L"<a><SessionID>S-\u00e9</SessionID></a>"), true, L"S-\u00e9"},
        // A half-written file is answered only once the node after the
        // identifier shows that its text is whole.
        IdCase{"cut_inside_the_identifier", "<a><SessionID>S-12", false, L""},
        IdCase{"cut_inside_the_end_tag", "<a><SessionID>S-12</Sess", false, L""},
        IdCase{"cut_after_the_identifier", "<a><SessionID>S-1</SessionID><more>te", true, L"S-1"},
        IdCase{"oversized", "<a><SessionID>" + std::string(kMaxCompanionFileBytes, 'x') + "</SessionID></a>", false,
               L""}),
    [](const ::testing::TestParamInfo<IdCase>& info) { return std::string(info.param.label); });

TEST(SessionIdRead, MissingFileGivesNothing)
{
    std::wstring id = L"stale";
    EXPECT_FALSE(ReadSessionId(L"C:\\no-such-folder-tapdeck\\App.Info", id));
    EXPECT_TRUE(id.empty());
}

}  // namespace
