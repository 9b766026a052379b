#pragma once
// The shell link object of the test prefix: Wine's own link does the link
// itself, this object adds the property store that Wine lacks and keeps it in
// the link file's property store data block.
#include <windows.h>
#include <unknwn.h>

namespace tapdeck::sim {

// A new link object (one reference), or null when Wine's link is unavailable.
IUnknown* NewShellLink();

}  // namespace tapdeck::sim
