#pragma once
// The LocalState watcher's hand-out of one completed directory read to the
// handlers of the files it names.
#include <windows.h>
#include <string>

namespace tapdeck {

class MonitorState;

// Runs each handler at most once, in the order their files first appear in
// the records; a read that lost its records (bytes 0) runs both. retry: the
// handlers whose file its writer held before; the result is that set again,
// as the handlers run now left it.
unsigned DispatchChanges(MonitorState& state, const std::wstring& packageFamilyName, const BYTE* buffer, DWORD bytes,
                         unsigned retry = 0);

}  // namespace tapdeck
