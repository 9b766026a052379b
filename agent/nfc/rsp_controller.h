#pragma once
// Starts the application registered for a message type with the message data.
#include <string>

namespace tapdeck {

class CNFCManager;

class CBaseRspController {
public:
    virtual ~CBaseRspController() = default;
    virtual void Respond(const std::wstring& messageType, const std::wstring& data) = 0;
};

class CRspController final : public CBaseRspController {
public:
    explicit CRspController(CNFCManager& manager) noexcept : manager_(manager) {}
    void Respond(const std::wstring& messageType, const std::wstring& data) override;

private:
    CNFCManager& manager_;
};

}  // namespace tapdeck
