// The security prologue inside the host's server call context, at every client level.
#include "host/client_impersonation.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <wbemcli.h>

#include <array>

#include "com/call_context.h"
#include "platform/win_resource.h"

namespace norv::win {
namespace {

using norvwmi::ClientLevel;
using norvwmi::ServerCallContext;

constexpr HRESULT kAccessDenied = static_cast<HRESULT>(WBEM_E_ACCESS_DENIED);

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
    struct Row {
        DWORD major;
        DWORD platform;
        bool supported;
    };
    constexpr std::array rows{
        Row{3, VER_PLATFORM_WIN32_NT, false},      Row{4, VER_PLATFORM_WIN32_NT, true},
        Row{4, VER_PLATFORM_WIN32_WINDOWS, false}, Row{4, VER_PLATFORM_WIN32s, false},
        Row{5, VER_PLATFORM_WIN32_WINDOWS, true},  Row{6, VER_PLATFORM_WIN32_NT, true},
        Row{10, VER_PLATFORM_WIN32_NT, true},
    };
    for (const Row& row : rows) {
        OSVERSIONINFOA version = {};
        version.dwOSVersionInfoSize = sizeof version;
        version.dwMajorVersion = row.major;
        version.dwPlatformId = row.platform;
        EXPECT_EQ(SystemSupportsImpersonation(version), row.supported)
            << row.major << " on platform " << row.platform;
    }
}

TEST_F(ClientImpersonationTest, AClientThatAllowsImpersonationIsImpersonatedUntilTheEnd) {
    struct Row {
        ClientLevel client;
        SECURITY_IMPERSONATION_LEVEL token;
    };
    for (const Row row : {Row{ClientLevel::Impersonate, SecurityImpersonation},
                          Row{ClientLevel::Delegate, SecurityDelegation}}) {
        ServerCallContext context(row.client);
        ASSERT_EQ(context.Status(), S_OK);
        {
            ClientImpersonation client;
            EXPECT_EQ(client.Begin(), S_OK);
            EXPECT_TRUE(client.Impersonating());
            const ThreadToken token = CurrentThreadToken();
            EXPECT_EQ(token.error, 0u);
            EXPECT_EQ(token.level, row.token);
        }
        EXPECT_EQ(CurrentThreadToken().error, static_cast<DWORD>(ERROR_NO_TOKEN))
            << "the guard reverts when it ends";
        context.End();
        EXPECT_FALSE(context.LeftImpersonating());
    }
}

TEST_F(ClientImpersonationTest, RevertEndsTheImpersonationEarly) {
    ServerCallContext context(ClientLevel::Impersonate);
    ClientImpersonation client;
    ASSERT_EQ(client.Begin(), S_OK);
    client.Revert();
    EXPECT_FALSE(client.Impersonating());
    EXPECT_EQ(CurrentThreadToken().error, static_cast<DWORD>(ERROR_NO_TOKEN));
}

TEST_F(ClientImpersonationTest, AnIdentifyingClientIsDeniedAndNotImpersonated) {
    ServerCallContext context(ClientLevel::Identify);
    ASSERT_EQ(context.Status(), S_OK);
    {
        ClientImpersonation client;
        EXPECT_EQ(client.Begin(), kAccessDenied);
        EXPECT_FALSE(client.Impersonating());
        EXPECT_EQ(CurrentThreadToken().error, static_cast<DWORD>(ERROR_NO_TOKEN))
            << "the level check reverts before it answers";
    }
    context.End();
    EXPECT_FALSE(context.LeftImpersonating());
}

TEST_F(ClientImpersonationTest, AnAnonymousClientIsRefused) {
    ServerCallContext context(ClientLevel::Anonymous);
    ASSERT_EQ(context.Status(), S_OK);
    ClientImpersonation client;
    const HRESULT hr = client.Begin();
    // Wine cannot open an anonymous token: the prologue returns that failure.
    EXPECT_EQ(hr, static_cast<HRESULT>(0x80070000u | ERROR_CANT_OPEN_ANONYMOUS));
    EXPECT_FALSE(client.Impersonating());
    EXPECT_EQ(CurrentThreadToken().error, static_cast<DWORD>(ERROR_NO_TOKEN));
}

TEST_F(ClientImpersonationTest, OutsideAServerCallTheImpersonationFailureIsReturned) {
    ClientImpersonation client;
    const HRESULT hr = client.Begin();
    EXPECT_TRUE(FAILED(hr));
    EXPECT_NE(hr, kAccessDenied);
    EXPECT_EQ(hr, ::CoImpersonateClient());
    EXPECT_FALSE(client.Impersonating());
}

TEST_F(ClientImpersonationTest, ASystemWithoutImpersonationLetsEveryRequestThrough) {
    ClientImpersonation client(false);
    EXPECT_EQ(client.Begin(), S_OK);
    EXPECT_FALSE(client.Impersonating());
    EXPECT_EQ(CurrentThreadToken().error, static_cast<DWORD>(ERROR_NO_TOKEN));
}

}  // namespace
}  // namespace norv::win
