#pragma once
// The answer to "App.Info": "Session.info" with the session identifier
// echoed and the photo editor's state.
#include <windows.h>
#include <xmllite.h>

#include <string>

namespace tapdeck {

class MonitorState;
class PhotoshopElements;

void OnAppInfoChanged(MonitorState& state, const std::wstring& packageFamilyName);
// True when a non-empty identifier was read.
bool ReadSessionId(const std::wstring& path, std::wstring& id);
void FillPhotoshopInfo(PhotoshopElements& photoshop, std::wstring& installStatus, std::wstring& version);
// True when the whole document was written and flushed.
bool WriteSessionInfo(const std::wstring& path, const std::wstring& id, const std::wstring& installStatus,
                      const std::wstring& version);
// The writer calls of the document, in order. The first failing markup call
// ends them; layout whitespace that the writer refuses is left out.
HRESULT WriteSessionDocument(IXmlWriter* writer, const std::wstring& id, const std::wstring& installStatus,
                             const std::wstring& version);

}  // namespace tapdeck
