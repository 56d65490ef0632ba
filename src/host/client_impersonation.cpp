#include "host/client_impersonation.h"

#include <objbase.h>

#include <array>

#include "host/wbem_status.h"
#include "platform/win_resource.h"

namespace norv::win {
namespace {

struct TokenLevelRow {
    SECURITY_IMPERSONATION_LEVEL tokenLevel;
    ClientImpersonationLevel clientLevel;
};

constexpr std::array<TokenLevelRow, 4> kTokenLevels{{
    {SecurityAnonymous, ClientImpersonationLevel::Anonymous},
    {SecurityIdentification, ClientImpersonationLevel::Identify},
    {SecurityImpersonation, ClientImpersonationLevel::Impersonate},
    {SecurityDelegation, ClientImpersonationLevel::Delegate},
}};

// A token level outside the table.
constexpr HRESULT kUnknownTokenLevel = static_cast<HRESULT>(0x8007FFFF);
// The facility of Win32 errors; a failed token call reports its last error below it.
constexpr DWORD kWin32ErrorBase = 0x80070000;

bool CanImpersonateHere() noexcept {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return ::GetVersionExA(&version) && SystemSupportsImpersonation(version);
}

HRESULT LastTokenError() noexcept {
    return static_cast<HRESULT>(kWin32ErrorBase | ::GetLastError());
}

}  // namespace

bool SystemSupportsImpersonation(const OSVERSIONINFOA& version) noexcept {
    return version.dwMajorVersion >= 5 ||
           (version.dwMajorVersion == 4 && version.dwPlatformId == VER_PLATFORM_WIN32_NT);
}

ClientImpersonation::ClientImpersonation() noexcept : canImpersonate_(CanImpersonateHere()) {}

ClientImpersonation::ClientLevel ClientImpersonation::FindClientLevel() const noexcept {
    if (!canImpersonate_) return {ClientImpersonationLevel::Impersonate, S_OK};
    const HRESULT impersonated = ::CoImpersonateClient();
    if (FAILED(impersonated)) return {ClientImpersonationLevel::Anonymous, impersonated};

    ClientLevel found{ClientImpersonationLevel::Anonymous, S_OK};
    UniqueHandle token;
    SECURITY_IMPERSONATION_LEVEL tokenLevel = SecurityAnonymous;
    DWORD length = 0;
    if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, token.put()) ||
        !::GetTokenInformation(token.get(), TokenImpersonationLevel, &tokenLevel, sizeof tokenLevel,
                               &length)) {
        found.status = LastTokenError();
    } else {
        found.status = kUnknownTokenLevel;
        for (const TokenLevelRow& row : kTokenLevels) {
            if (row.tokenLevel == tokenLevel) found = {row.clientLevel, S_OK};
        }
    }
    ::CoRevertToSelf();
    return found;
}

HRESULT ClientImpersonation::Begin() noexcept {
    const ClientLevel client = FindClientLevel();
    if (FAILED(client.status)) return client.status;
    if (client.level < ClientImpersonationLevel::Impersonate) return kWbemAccessDenied;
    if (canImpersonate_) {
        NORV_RETURN_IF_FAILED(::CoImpersonateClient());
        impersonating_ = true;
    }
    return S_OK;
}

void ClientImpersonation::Revert() noexcept {
    if (impersonating_) {
        ::CoRevertToSelf();
        impersonating_ = false;
    }
}

}  // namespace norv::win
