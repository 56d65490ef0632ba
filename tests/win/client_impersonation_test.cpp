// The security prologue inside the host's server call context, at every client level.
#include "host/client_impersonation.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <wbemcli.h>

#include <tuple>

#include "com/call_context.h"
#include "host/wbem_status.h"
#include "platform/win_resource.h"

namespace norv::win {
namespace {

using norvwmi::ClientLevel;
using norvwmi::ServerCallContext;

// The impersonation level of this thread's token; ERROR_NO_TOKEN when it has none.
struct ThreadToken {
    DWORD error = 0;
    SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
};

ThreadToken CurrentThreadToken() {
    ThreadToken result;
    UniqueHandle token;
    if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, token.put())) {
        result.error = ::GetLastError();
        return result;
    }
    DWORD length = 0;
    if (!::GetTokenInformation(token.get(), TokenImpersonationLevel, &result.level,
                               sizeof result.level, &length)) {
        result.error = ::GetLastError();
    }
    return result;
}

class ClientImpersonationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        comInitialised_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    }
    static void TearDownTestSuite() {
        if (comInitialised_) ::CoUninitialize();
    }
    inline static bool comInitialised_ = false;
};

TEST(SystemSupportsImpersonation, FromNtFourOn) {
    for (const auto& [major, platform, supported] : {std::tuple{3, VER_PLATFORM_WIN32_NT, false},
                                                     {4, VER_PLATFORM_WIN32_NT, true},
                                                     {4, VER_PLATFORM_WIN32_WINDOWS, false},
                                                     {5, VER_PLATFORM_WIN32_WINDOWS, true}}) {
        OSVERSIONINFOA version = {};
        version.dwMajorVersion = static_cast<DWORD>(major);
        version.dwPlatformId = platform;
        EXPECT_EQ(SystemSupportsImpersonation(version), supported) << major << " " << platform;
    }
}

// A client that allows impersonation is impersonated at its level until the guard ends or
// reverts; an identifying client is denied and not impersonated
// (the level check reverts before it answers); Wine cannot open an anonymous token, and the
// prologue returns that failure; outside a server call the failure of impersonating is the
// answer; a system without impersonation lets every request through.
TEST_F(ClientImpersonationTest, EveryOtherClientIsRefusedAndLeftUnimpersonated) {
    const HRESULT anonymous = static_cast<HRESULT>(0x80070000u | ERROR_CANT_OPEN_ANONYMOUS);
    for (const auto& [level, expected, token] :
         {std::tuple{ClientLevel::Impersonate, S_OK, SecurityImpersonation},
          std::tuple{ClientLevel::Delegate, S_OK, SecurityDelegation},
          std::tuple{ClientLevel::Identify, kWbemAccessDenied, SecurityAnonymous},
          std::tuple{ClientLevel::Anonymous, anonymous, SecurityAnonymous}}) {
        ServerCallContext context(level);
        ASSERT_EQ(context.Status(), S_OK);
        {
            ClientImpersonation client;
            EXPECT_EQ(client.Begin(), expected);
            EXPECT_EQ(client.Impersonating(), expected == S_OK);
            EXPECT_EQ(CurrentThreadToken().error == 0, expected == S_OK);
            if (expected == S_OK) {
                EXPECT_EQ(CurrentThreadToken().level, token);
            }
            client.Revert();
            EXPECT_FALSE(client.Impersonating());
            EXPECT_EQ(CurrentThreadToken().error, static_cast<DWORD>(ERROR_NO_TOKEN));
        }
        context.End();
        EXPECT_FALSE(context.LeftImpersonating());
    }
    ClientImpersonation outside;
    const HRESULT hr = outside.Begin();
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(hr, ::CoImpersonateClient());
    EXPECT_FALSE(outside.Impersonating());
    ClientImpersonation unsupported(false);
    EXPECT_EQ(unsupported.Begin(), S_OK);
    EXPECT_FALSE(unsupported.Impersonating());
    EXPECT_EQ(CurrentThreadToken().error, static_cast<DWORD>(ERROR_NO_TOKEN));
}

}  // namespace
}  // namespace norv::win
