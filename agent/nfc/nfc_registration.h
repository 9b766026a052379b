#pragma once
// A handler registration read from NFCDB, and the subscription made for it.
#include <windows.h>
#include <map>
#include <string>
#include <vector>

namespace tapdeck {

class CBaseRspController;

struct NFCRegistration {
    std::wstring messageType;
    std::wstring applicationPath;
};
using NFCRegistrationList = std::vector<NFCRegistration>;

struct SubscriptionRecord {
    CBaseRspController* controller = nullptr;  // not owned
    std::wstring applicationPath;               // as registered, not expanded
    INT64 subscriptionId = -1;
};

// Ordered by UTF-16 code unit, case-sensitive; the first record of a type wins.
using SubscriptionTable = std::map<std::wstring, SubscriptionRecord>;

}  // namespace tapdeck
