#pragma once
// The answer to "App.Info": "Session.info" with the session identifier
// echoed and the photo editor's state.
#include <windows.h>
#include <xmllite.h>

#include <string>

namespace tapdeck {

class MonitorState;
class PhotoshopElements;

// True when the request's writer still holds it: nothing was answered, and
// the request is worth reading again shortly.
bool OnAppInfoChanged(MonitorState& state, const std::wstring& packageFamilyName);
// True when a non-empty identifier was read; held, when given, tells a
// file its writer keeps from being read.
bool ReadSessionId(const std::wstring& path, std::wstring& id, bool* held = nullptr);
void FillPhotoshopInfo(PhotoshopElements& photoshop, std::wstring& installStatus, std::wstring& version);
// True when the whole document was written; a name that is a link or a
// file with other names is not written through.
bool WriteSessionInfo(const std::wstring& path, const std::wstring& id, const std::wstring& installStatus,
                      const std::wstring& version);
// The writer calls of the document, in order. The first failing markup call
// ends them; layout whitespace that the writer refuses is left out.
HRESULT WriteSessionDocument(IXmlWriter* writer, const std::wstring& id, const std::wstring& installStatus,
                             const std::wstring& version);

}  // namespace tapdeck
