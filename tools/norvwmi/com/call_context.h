// The call context in which WMI calls a provider: each call runs inside a server call
// context (CoSwitchCallContext) whose IServerSecurity impersonates the client at the
// client's impersonation level, so that CoImpersonateClient and the thread token a
// provider reads behave as under WMI. The client's level is a host option.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <atomic>
#include <optional>
#include <string_view>

#include "com/host_com_object.h"

namespace norvwmi {

// Numbered as the RPC impersonation levels (RPC_C_IMP_LEVEL_*).
enum class ClientLevel : DWORD { Anonymous = 1, Identify = 2, Impersonate = 3, Delegate = 4 };

// "anonymous", "identify", "impersonate", "delegate" (any letter case).
std::optional<ClientLevel> ClientLevelFromName(std::string_view name);

class ServerSecurity final : public ComObject<ServerSecurity, IServerSecurity> {
public:
    explicit ServerSecurity(ClientLevel level);

    // Reports the client's impersonation level; the other fields as an NTLM client
    // connecting with packet privacy.
    HRESULT STDMETHODCALLTYPE QueryBlanket(DWORD* authenticationService,
                                           DWORD* authorizationService, OLECHAR** serverPrincipal,
                                           DWORD* authenticationLevel, DWORD* impersonationLevel,
                                           void** privileges, DWORD* capabilities) override;
    // ImpersonateSelf at the client's level.
    HRESULT STDMETHODCALLTYPE ImpersonateClient() override;
    HRESULT STDMETHODCALLTYPE RevertToSelf() override;
    WINBOOL STDMETHODCALLTYPE IsImpersonating() override;

private:
    const ClientLevel level_;
    std::atomic<bool> impersonating_{false};
};

// Switches this thread into a server call context for the client's level, and back to
// the previous context when it ends. A call that left the thread impersonating is
// reverted, and LeftImpersonating tells.
class ServerCallContext {
public:
    explicit ServerCallContext(ClientLevel level);
    ServerCallContext(const ServerCallContext&) = delete;
    ServerCallContext& operator=(const ServerCallContext&) = delete;
    ~ServerCallContext();

    // The failure of switching into the context, or S_OK.
    HRESULT Status() const { return status_; }
    // Ends the context now (the destructor does it otherwise).
    void End();
    bool LeftImpersonating() const { return leftImpersonating_; }

private:
    norv::win::ComPtr<ServerSecurity> security_;
    IUnknown* previous_ = nullptr;
    HRESULT status_ = E_FAIL;
    bool active_ = false;
    bool leftImpersonating_ = false;
};

// Runs `call` (returning an HRESULT) in a server call context; the switch's failure is
// returned instead when the context cannot be entered.
template <typename Call>
HRESULT RunInCallContext(ClientLevel level, Call&& call) {
    ServerCallContext context(level);
    if (FAILED(context.Status())) return context.Status();
    return call();
}

}  // namespace norvwmi
