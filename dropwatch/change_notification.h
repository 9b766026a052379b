#pragma once
// Owner of a FindFirstChangeNotificationW handle.
#include <windows.h>

#include "unique_handle.h"

namespace tapdeck {

struct change_notification_traits {
    using type = HANDLE;
    static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(type value) noexcept { ::FindCloseChangeNotification(value); }
};
using unique_change_notification = unique_any<change_notification_traits>;

}  // namespace tapdeck
