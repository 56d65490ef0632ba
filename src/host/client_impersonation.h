// The security prologue of every provider request: the client must allow impersonation, and
// the request then runs impersonating it. A guard on the request's stack; it reverts on
// every path out of the request.
#pragma once

#include <windows.h>

namespace norv::win {

// RPC impersonation levels, as the prologue ranks the client.
enum class ClientImpersonationLevel : DWORD {
    Anonymous = 1,
    Identify = 2,
    Impersonate = 3,
    Delegate = 4,
};

// True from NT 4 on (major version 5 or more, or 4 on the NT platform).
bool SystemSupportsImpersonation(const OSVERSIONINFOA& version) noexcept;

class ClientImpersonation {
public:
    // Asks the system whether it supports impersonation (false when it cannot tell).
    ClientImpersonation() noexcept;
    explicit ClientImpersonation(bool canImpersonate) noexcept : canImpersonate_(canImpersonate) {}
    ~ClientImpersonation() { Revert(); }
    ClientImpersonation(const ClientImpersonation&) = delete;
    ClientImpersonation& operator=(const ClientImpersonation&) = delete;

    // Runs the prologue: the failure of finding the client's level, WBEM_E_ACCESS_DENIED for
    // a client below impersonation level, the failure of impersonating it, or S_OK with the
    // thread impersonating the client.
    HRESULT Begin() noexcept;
    void Revert() noexcept;

    bool Impersonating() const noexcept { return impersonating_; }

private:
    struct ClientLevel {
        ClientImpersonationLevel level;
        HRESULT status;
    };
    ClientLevel FindClientLevel() const noexcept;

    bool impersonating_ = false;
    bool canImpersonate_;
};

}  // namespace norv::win
