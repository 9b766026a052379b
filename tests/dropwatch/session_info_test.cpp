// "Session.info": the writer calls and the exact bytes they make with the
// platform writer's defaults; the file as written here, read back by
// content; and the session identifier read from "App.Info".
#include <gtest/gtest.h>

#include <shlwapi.h>
#include <xmllite.h>

#include <string>
#include <vector>

#include "com_ptr.h"
#include "session_info.h"
#include "test_folder.h"

using namespace tapdeck;
using namespace tapdeck::test;

namespace {

// Records every call and renders the bytes that a writer with default
// properties produces: UTF-8 with a byte order mark, the declaration
// without a line end, no indentation, texts escaped, full end tags.
class RecordingWriter : public IXmlWriter {
public:
    std::vector<std::wstring> calls;
    std::string bytes;
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
    HRESULT STDMETHODCALLTYPE WriteEndDocument() override
    {
        const HRESULT hr = Call(L"EndDocument");
        while (SUCCEEDED(hr) && !open_.empty()) CloseElement();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE WriteEndElement() override { return Call(L"WriteEndElement"); }
    HRESULT STDMETHODCALLTYPE WriteEntityRef(LPCWSTR) override { return Call(L"WriteEntityRef"); }
    HRESULT STDMETHODCALLTYPE WriteFullEndElement() override
    {
        const HRESULT hr = Call(L"FullEnd");
        if (SUCCEEDED(hr) && !open_.empty()) CloseElement();
        return hr;
    }
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
        const HRESULT hr = Call(standalone == XmlStandalone_Omit ? L"StartDocument(Omit)" : L"StartDocument(other)");
        if (SUCCEEDED(hr)) Emit("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
        return hr;
    }
    HRESULT STDMETHODCALLTYPE WriteStartElement(LPCWSTR prefix, LPCWSTR name, LPCWSTR uri) override
    {
        const HRESULT hr = Call(std::wstring(L"Start(") + (prefix ? L"prefix," : L"") + name +
                                (uri ? L",uri" : L"") + L")");
        if (FAILED(hr)) return hr;
        CloseStartTag();
        Emit("<" + Utf8(name));
        open_.push_back(name);
        tagOpen_ = true;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE WriteString(LPCWSTR text) override
    {
        const HRESULT hr = Call(std::wstring(L"String(") + text + L")");
        if (FAILED(hr)) return hr;
        CloseStartTag();
        for (char c : Utf8(text)) {
            if (c == '&') Emit("&amp;");
            else if (c == '<') Emit("&lt;");
            else if (c == '>') Emit("&gt;");
            else Emit(std::string(1, c));
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE WriteSurrogateCharEntity(WCHAR, WCHAR) override { return Call(L"WriteSurrogate"); }
    HRESULT STDMETHODCALLTYPE WriteWhitespace(LPCWSTR text) override
    {
        const HRESULT hr = Call(std::wstring(L"Whitespace(") + text + L")");
        if (FAILED(hr)) return hr;
        CloseStartTag();
        Emit(Utf8(text));
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Flush() override { return Call(L"Flush"); }

private:
    static std::string Utf8(const std::wstring& text)
    {
        std::string out;
        for (wchar_t c : text) out += static_cast<char>(c);  // the tests use ASCII
        return out;
    }
    HRESULT Call(const std::wstring& call)
    {
        const int index = static_cast<int>(calls.size());
        calls.push_back(call);
        return index == failAt ? E_FAIL : S_OK;
    }
    void Emit(const std::string& text)
    {
        if (bytes.empty()) bytes = "\xEF\xBB\xBF";
        bytes += text;
    }
    void CloseStartTag()
    {
        if (tagOpen_) Emit(">");
        tagOpen_ = false;
    }
    void CloseElement()
    {
        CloseStartTag();
        Emit("</" + Utf8(open_.back()) + ">");
        open_.pop_back();
    }

    std::vector<std::wstring> open_;
    bool tagOpen_ = false;
};

const std::vector<std::wstring> kCalls = {
    L"StartDocument(Omit)", L"Whitespace(\n)", L"Start(SessionInfo)", L"Whitespace(\n)", L"Whitespace(    )",
    L"Start(SessionID)", L"String(id)", L"FullEnd", L"Whitespace(\n)", L"Whitespace(    )", L"Start(PSInfo)",
    L"Whitespace(\n)", L"Whitespace(        )", L"Start(InstallStatus)", L"String(1)", L"FullEnd",
    L"Whitespace(\n)", L"Whitespace(        )", L"Start(Version)", L"String(11.0)", L"FullEnd", L"Whitespace(\n)",
    L"Whitespace(    )", L"FullEnd", L"Whitespace(\n)", L"EndDocument", L"Flush"};

TEST(SessionInfoWriter, MakesTheSpecifiedCallsInOrder)
{
    RecordingWriter writer;
    EXPECT_EQ(S_OK, WriteSessionDocument(&writer, L"id", L"1", L"11.0"));
    EXPECT_EQ(kCalls, writer.calls);
}

struct BytesCase {
    const char* label;
    const wchar_t* id;
    const wchar_t* status;
    const wchar_t* version;
    std::string bytes;
};

class SessionInfoBytes : public ::testing::TestWithParam<BytesCase> {};

TEST_P(SessionInfoBytes, DefaultWriterOutputIsTheSpecifiedDocument)
{
    RecordingWriter writer;
    ASSERT_EQ(S_OK, WriteSessionDocument(&writer, GetParam().id, GetParam().status, GetParam().version));
    EXPECT_EQ(GetParam().bytes, writer.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, SessionInfoBytes,
    ::testing::Values(
        BytesCase{"installed", L"S-1", L"1", L"11.0",
                  "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SessionInfo>\n    <SessionID>S-1</SessionID>\n"
                  "    <PSInfo>\n        <InstallStatus>1</InstallStatus>\n        <Version>11.0</Version>\n"
                  "    </PSInfo>\n</SessionInfo>"},
        BytesCase{"not_installed_empty_version", L"abc", L"0", L"",
                  "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SessionInfo>\n    <SessionID>abc</SessionID>\n"
                  "    <PSInfo>\n        <InstallStatus>0</InstallStatus>\n        <Version></Version>\n"
                  "    </PSInfo>\n</SessionInfo>"},
        BytesCase{"identifier_escaped", L"a&b<c>", L"0", L"",
                  "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SessionInfo>\n"
                  "    <SessionID>a&amp;b&lt;c&gt;</SessionID>\n"
                  "    <PSInfo>\n        <InstallStatus>0</InstallStatus>\n        <Version></Version>\n"
                  "    </PSInfo>\n</SessionInfo>"}),
    [](const ::testing::TestParamInfo<BytesCase>& info) { return std::string(info.param.label); });

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

TEST(SessionInfoFile, UnwritableFolderReportsFailure)
{
    EXPECT_FALSE(WriteSessionInfo(L"C:\\no-such-folder-tapdeck\\Session.info", L"id", L"0", L""));
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
    EXPECT_EQ(GetParam().id, id);
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
        IdCase{"not_xml", "S-42", false, L""},
        IdCase{"doctype_is_refused", "<!DOCTYPE a [<!ENTITY e \"x\">]><a><SessionID>&e;</SessionID></a>", false, L""},
        IdCase{"cut_before_the_identifier", "<a><SessionID>", false, L""},
        IdCase{"cut_after_the_identifier", "<a><SessionID>S-1</SessionID><more>te", true, L"S-1"}),
    [](const ::testing::TestParamInfo<IdCase>& info) { return std::string(info.param.label); });

TEST(SessionIdRead, MissingFileGivesNothing)
{
    std::wstring id = L"stale";
    EXPECT_FALSE(ReadSessionId(L"C:\\no-such-folder-tapdeck\\App.Info", id));
    EXPECT_TRUE(id.empty());
}

}  // namespace
