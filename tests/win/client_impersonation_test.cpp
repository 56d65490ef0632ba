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

// Revert ends the impersonation early; an identifying client is denied and not impersonated
// (the level check reverts before it answers); Wine cannot open an anonymous token, and the
// prologue returns that failure; outside a server call the failure of impersonating is the
// answer; a system without impersonation lets every request through.
TEST_F(ClientImpersonationTest, EveryOtherClientIsRefusedAndLeftUnimpersonated) {
    const HRESULT anonymous = static_cast<HRESULT>(0x80070000u | ERROR_CANT_OPEN_ANONYMOUS);
    for (const auto& [level, expected] : {std::pair{ClientLevel::Impersonate, S_OK},
                                          std::pair{ClientLevel::Identify, kAccessDenied},
                                          std::pair{ClientLevel::Anonymous, anonymous}}) {
        ServerCallContext context(level);
        ASSERT_EQ(context.Status(), S_OK);
        {
            ClientImpersonation client;
            EXPECT_EQ(client.Begin(), expected);
            EXPECT_EQ(client.Impersonating(), expected == S_OK);
            EXPECT_EQ(CurrentThreadToken().error == 0, expected == S_OK);
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
