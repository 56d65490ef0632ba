// The server call context in which providers are called: CoImpersonateClient reaches the
// host's IServerSecurity and the thread token carries the client's level.
#include <gtest/gtest.h>

#include <array>

#include "com/call_context.h"

namespace norvwmi {
namespace {

struct TokenLevel {
    DWORD error = 0;  // of OpenThreadToken or GetTokenInformation, 0 when read
    SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
};

TokenLevel ThreadTokenLevel() {
    TokenLevel result;
    HANDLE token = nullptr;
    if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
        result.error = ::GetLastError();
        return result;
    }
    norv::win::UniqueHandle owner(token);
    DWORD length = 0;
    if (!::GetTokenInformation(token, TokenImpersonationLevel, &result.level, sizeof result.level,
                               &length))
        result.error = ::GetLastError();
    return result;
}

TEST(ServerCallContext, ImpersonationGivesTheClientsLevel) {
    struct Row {
        ClientLevel client;
        SECURITY_IMPERSONATION_LEVEL token;
    };
    constexpr std::array rows{Row{ClientLevel::Identify, SecurityIdentification},
                              Row{ClientLevel::Impersonate, SecurityImpersonation},
                              Row{ClientLevel::Delegate, SecurityDelegation}};
    for (const Row& row : rows) {
        const HRESULT hr = RunInCallContext(row.client, [&] {
            EXPECT_EQ(::CoImpersonateClient(), S_OK);
            const TokenLevel impersonated = ThreadTokenLevel();
            EXPECT_EQ(impersonated.error, 0u);
            EXPECT_EQ(impersonated.level, row.token);
            DWORD level = 0;
            EXPECT_EQ(::CoQueryClientBlanket(nullptr, nullptr, nullptr, nullptr, &level, nullptr,
                                             nullptr),
                      S_OK);
            EXPECT_EQ(level, static_cast<DWORD>(row.client));
            EXPECT_EQ(::CoRevertToSelf(), S_OK);
            EXPECT_EQ(ThreadTokenLevel().error, static_cast<DWORD>(ERROR_NO_TOKEN));
            return S_FALSE;
        });
        EXPECT_EQ(hr, S_FALSE);  // the call's own result
    }
}

TEST(ServerCallContext, AnonymousClientsCannotBeIdentified) {
    RunInCallContext(ClientLevel::Anonymous, [] {
        EXPECT_EQ(::CoImpersonateClient(), S_OK);
        const TokenLevel token = ThreadTokenLevel();
        // Windows refuses to open an anonymous token; either way it is no identity.
        if (token.error == 0)
            EXPECT_EQ(token.level, SecurityAnonymous);
        else
            EXPECT_EQ(token.error, static_cast<DWORD>(ERROR_CANT_OPEN_ANONYMOUS));
        EXPECT_EQ(::CoRevertToSelf(), S_OK);
        return S_OK;
    });
}

TEST(ServerCallContext, ACallThatForgetsToRevertIsRevertedAndReported) {
    ServerCallContext context(ClientLevel::Impersonate);
    ASSERT_EQ(context.Status(), S_OK);
    ASSERT_EQ(::CoImpersonateClient(), S_OK);
    context.End();
    EXPECT_TRUE(context.LeftImpersonating());
    EXPECT_EQ(ThreadTokenLevel().error, static_cast<DWORD>(ERROR_NO_TOKEN));

    ServerCallContext tidy(ClientLevel::Impersonate);
    ASSERT_EQ(::CoImpersonateClient(), S_OK);
    ASSERT_EQ(::CoRevertToSelf(), S_OK);
    tidy.End();
    EXPECT_FALSE(tidy.LeftImpersonating());
}

}  // namespace
}  // namespace norvwmi
