#pragma once
// What the LocalState watcher does with "Command.Info": read it, delete it,
// then carry out its commands in document order.
#include <string>

namespace tapdeck {

class MonitorState;

void OnCommandInfoChanged(MonitorState& state, const std::wstring& packageFamilyName);
// Starts Pairwell "/Disconnect /<value>" without waiting for it.
void RunDisconnect(MonitorState& state, const std::wstring& value);
// Starts Glimpser and waits until it ends.
void RunGlimpser(MonitorState& state);

}  // namespace tapdeck
