#pragma once
// What the LocalState watcher does with "Command.Info": read it, delete it,
// then carry out its commands in document order.
#include <string>

namespace tapdeck {

class MonitorState;

// True when the file's writer still holds it: nothing ran, and the file
// is worth reading again shortly.
bool OnCommandInfoChanged(MonitorState& state, const std::wstring& packageFamilyName);
// Starts Pairwell "/Disconnect /<value>" without waiting for it.
void RunDisconnect(MonitorState& state, const std::wstring& value);
// Starts Glimpser and waits until it ends, a minute at most.
void RunGlimpser(MonitorState& state);

}  // namespace tapdeck
