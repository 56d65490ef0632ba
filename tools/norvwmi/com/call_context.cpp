#include "com/call_context.h"

#include <array>

#include "repository/name_compare.h"

namespace norvwmi {

namespace {

struct LevelName {
    ClientLevel level;
    std::string_view name;
    SECURITY_IMPERSONATION_LEVEL tokenLevel;
};

constexpr std::array kLevels{
    LevelName{ClientLevel::Anonymous, "anonymous", SecurityAnonymous},
    LevelName{ClientLevel::Identify, "identify", SecurityIdentification},
    LevelName{ClientLevel::Impersonate, "impersonate", SecurityImpersonation},
    LevelName{ClientLevel::Delegate, "delegate", SecurityDelegation},
};

SECURITY_IMPERSONATION_LEVEL TokenLevelOf(ClientLevel level) {
    for (const LevelName& entry : kLevels)
        if (entry.level == level) return entry.tokenLevel;
    return SecurityAnonymous;
}

}  // namespace

std::optional<ClientLevel> ClientLevelFromName(std::string_view name) {
    for (const LevelName& entry : kLevels)
        if (SameName(entry.name, name)) return entry.level;
    return std::nullopt;
}

ServerSecurity::ServerSecurity(ClientLevel level) : level_(level) {}

HRESULT ServerSecurity::QueryBlanket(DWORD* authenticationService, DWORD* authorizationService,
                                     OLECHAR** serverPrincipal, DWORD* authenticationLevel,
                                     DWORD* impersonationLevel, void** privileges,
                                     DWORD* capabilities) {
    if (authenticationService) *authenticationService = RPC_C_AUTHN_WINNT;
    if (authorizationService) *authorizationService = RPC_C_AUTHZ_NONE;
    if (serverPrincipal) *serverPrincipal = nullptr;
    if (authenticationLevel) *authenticationLevel = RPC_C_AUTHN_LEVEL_PKT_PRIVACY;
    if (impersonationLevel) *impersonationLevel = static_cast<DWORD>(level_);
    if (privileges) *privileges = nullptr;
    if (capabilities) *capabilities = EOAC_NONE;
    return S_OK;
}

HRESULT ServerSecurity::ImpersonateClient() {
    if (!::ImpersonateSelf(TokenLevelOf(level_))) return HRESULT_FROM_WIN32(::GetLastError());
    impersonating_ = true;
    return S_OK;
}

HRESULT ServerSecurity::RevertToSelf() {
    if (!::RevertToSelf()) return HRESULT_FROM_WIN32(::GetLastError());
    impersonating_ = false;
    return S_OK;
}

WINBOOL ServerSecurity::IsImpersonating() {
    return impersonating_ ? TRUE : FALSE;
}

ServerCallContext::ServerCallContext(ClientLevel level) {
    try {
        security_ = ServerSecurity::Create(level);
    } catch (const std::bad_alloc&) {
        status_ = E_OUTOFMEMORY;
        return;
    }
    status_ = ::CoSwitchCallContext(static_cast<IServerSecurity*>(security_.get()), &previous_);
    active_ = SUCCEEDED(status_);
}

ServerCallContext::~ServerCallContext() {
    End();
}

void ServerCallContext::End() {
    if (!active_) return;
    active_ = false;
    if (security_->IsImpersonating()) {
        leftImpersonating_ = true;
        security_->RevertToSelf();
    }
    IUnknown* ours = nullptr;
    ::CoSwitchCallContext(previous_, &ours);
}

}  // namespace norvwmi
