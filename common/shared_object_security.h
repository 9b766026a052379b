#pragma once
// The security of the cross-process named objects: everybody may open, wait
// on and signal them; nobody, their owner included, may rewrite their DACL
// or take their ownership.
#include <windows.h>

#include "unique_handle.h"

namespace tapdeck {

class SharedObjectSecurity {
public:
    SharedObjectSecurity();
    SharedObjectSecurity(const SharedObjectSecurity&) = delete;
    SharedObjectSecurity& operator=(const SharedObjectSecurity&) = delete;

    // The attributes to pass to a creation call, or null when the descriptor
    // could not be finished: an unfinished descriptor is never handed out.
    SECURITY_ATTRIBUTES* Attributes() noexcept { return complete_ ? &attributes_ : nullptr; }

private:
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    unique_hlocal acl_;
    bool complete_ = false;
};

}  // namespace tapdeck
