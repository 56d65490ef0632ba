// The COM side of calling a provider: the server call context and the client's level, the
// recording sink and the check that a call ended as a client expects, and the WMI utility
// parsers the host registers for the provider (the query parser's documented minimum).
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>

#include "com/call_context.h"
#include "com/completion_check.h"
#include "com/query_parser.h"
#include "com/recording_sink.h"
#include "com/utility_parsers.h"
#include "com/wbem_status.h"
#include "com/wmi_utility_interfaces.h"
#include "test_namespace.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;

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

TEST(RecordingSink, RecordsIndicatesWithTheirObjectsAndStatuses) {
    auto sink = RecordingSink::Create();
    const long before = LiveComObjects();
    {
        auto first = testing::NewTestInstance("Base");
        auto second = testing::NewTestInstance("Pair");
        IWbemClassObject* both[] = {first.get(), second.get()};
        ASSERT_EQ(sink->Indicate(2, both), WBEM_S_NO_ERROR);
        ASSERT_EQ(sink->Indicate(1, both), WBEM_S_NO_ERROR);
    }
    EXPECT_EQ(LiveComObjects(), before + 2);  // the sink keeps what it was given
    const auto objects = sink->Objects();
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[0].get(), objects[2].get());

    norv::win::UniqueBstr text(::SysAllocString(L"done"));
    ASSERT_EQ(sink->SetStatus(WBEM_STATUS_PROGRESS, WBEM_S_NO_ERROR, nullptr, nullptr),
              WBEM_S_NO_ERROR);
    ASSERT_EQ(sink->SetStatus(WBEM_STATUS_COMPLETE, Wbem(WBEM_E_FAILED), text.get(), nullptr),
              WBEM_S_NO_ERROR);
    const auto finals = sink->FinalStatuses();
    ASSERT_EQ(finals.size(), 1u);
    EXPECT_EQ(finals[0].result, Wbem(WBEM_E_FAILED));
    EXPECT_EQ(finals[0].text, L"done");
    EXPECT_EQ(sink->Events().size(), 4u);

    EXPECT_EQ(sink->Indicate(1, nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
    sink->FailIndicateWith(Wbem(WBEM_E_CALL_CANCELLED));
    IWbemClassObject* one[] = {objects[0].get()};
    EXPECT_EQ(sink->Indicate(1, one), Wbem(WBEM_E_CALL_CANCELLED));
    EXPECT_EQ(sink->Objects().size(), 3u);
}

TEST(RecordingSink, WaitsForAFinalStatusFromAnotherThread) {
    auto sink = RecordingSink::Create();
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(sink->WaitForFinalStatus(100));
    EXPECT_GE(::GetTickCount() - start, 90u);

    std::thread provider([&] {
        ::Sleep(50);
        sink->SetStatus(WBEM_STATUS_PROGRESS, 0, nullptr, nullptr);  // not final
        ::Sleep(50);
        sink->SetStatus(WBEM_STATUS_COMPLETE, 0, nullptr, nullptr);
    });
    EXPECT_TRUE(sink->WaitForFinalStatus(5000));
    provider.join();
    EXPECT_EQ(sink->FinalStatuses().size(), 1u);
}

TEST(CheckCompletion, FlagsCallsAClientWouldHangOrStumbleOn) {
    auto object = testing::NewTestInstance("Base");
    IWbemClassObject* one[] = {object.get()};

    auto silent = RecordingSink::Create();
    silent->Indicate(1, one);
    auto problems = CheckCompletion(WBEM_S_NO_ERROR, *silent.get());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("never called SetStatus"), std::string::npos);
    EXPECT_NE(problems[0].find("0x00000000"), std::string::npos);

    auto proper = RecordingSink::Create();
    proper->Indicate(1, one);
    proper->SetStatus(WBEM_STATUS_COMPLETE, WBEM_S_NO_ERROR, nullptr, nullptr);
    EXPECT_TRUE(CheckCompletion(WBEM_S_NO_ERROR, *proper.get()).empty());

    auto failed = RecordingSink::Create();  // a failed lookup need not call the sink
    EXPECT_TRUE(CheckCompletion(Wbem(WBEM_E_NOT_FOUND), *failed.get()).empty());

    auto twice = RecordingSink::Create();
    twice->SetStatus(WBEM_STATUS_COMPLETE, WBEM_S_NO_ERROR, nullptr, nullptr);
    twice->Indicate(1, one);
    twice->SetStatus(WBEM_STATUS_COMPLETE, WBEM_S_NO_ERROR, nullptr, nullptr);
    problems = CheckCompletion(WBEM_S_NO_ERROR, *twice.get());
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("2 times"), std::string::npos);
    EXPECT_NE(problems[1].find("after the final SetStatus"), std::string::npos);

    auto late = RecordingSink::Create();
    std::thread provider([&] {
        ::Sleep(50);
        late->SetStatus(WBEM_STATUS_COMPLETE, WBEM_S_NO_ERROR, nullptr, nullptr);
    });
    EXPECT_TRUE(CheckCompletion(WBEM_S_NO_ERROR, *late.get(), 5000).empty());
    provider.join();
}

bool UnderWine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TEST(UtilityParsers, RegistrationRoutesBothClassesToTheHost) {
    const long before = LiveComObjects();
    {
        auto registration = RegisterWmiUtilityParsers();
        ASSERT_EQ(registration.Status(), S_OK);
        EXPECT_TRUE(registration.IsRegistered());
        EXPECT_EQ(LiveComObjects(), before + 2);  // the two class objects

        ComPtr<IWbemQuery> query;
        ASSERT_EQ(::CoCreateInstance(kQueryParserClsid, nullptr, CLSCTX_INPROC_SERVER,
                                     __uuidof(IWbemQuery), query.put_void()),
                  S_OK);
        ComPtr<IWbemPath> path;
        ASSERT_EQ(::CoCreateInstance(kPathParserClsid, nullptr, CLSCTX_INPROC_SERVER,
                                     __uuidof(IWbemPath), path.put_void()),
                  S_OK);
        EXPECT_EQ(LiveComObjects(), before + 4);
    }
    EXPECT_EQ(LiveComObjects(), before);

    // Revoked: whatever answers now is not the host's.
    ComPtr<IWbemQuery> query;
    const HRESULT created = ::CoCreateInstance(kQueryParserClsid, nullptr, CLSCTX_INPROC_SERVER,
                                               __uuidof(IWbemQuery), query.put_void());
    if (UnderWine()) {
        EXPECT_EQ(created, REGDB_E_CLASSNOTREG);  // the gap the host fills
    }
}

class QueryParserTest : public ::testing::Test {
protected:
    std::wstring Analysis() {
        void* analysis = reinterpret_cast<void*>(1);
        const HRESULT hr = query_->GetAnalysis(WMIQ_ANALYSIS_QUERY_TEXT, 0, &analysis);
        if (FAILED(hr)) {
            EXPECT_EQ(analysis, nullptr);
            return L"(failed)";
        }
        std::wstring text(static_cast<const wchar_t*>(analysis));
        EXPECT_EQ(query_->FreeMemory(analysis), S_OK);
        return text;
    }

    ComPtr<QueryParser> query_ = QueryParser::Create();
};

TEST_F(QueryParserTest, ParsesWqlSelectStatementsAndRefusesWhatIsNotWql) {
    EXPECT_EQ(query_->Parse(L"WQL", L"SELECT * FROM Sensor", 0), S_OK);
    EXPECT_EQ(Analysis(), L"SELECT * FROM Sensor");
    EXPECT_EQ(query_->Parse(L"SQL", L"select DeviceID, Name from NumericSensor", 0), S_OK);
    EXPECT_EQ(query_->Parse(L"WQL", L"SELECT * FROM LogRecord WHERE RecordID = 3", 0), S_OK);
    EXPECT_EQ(Analysis(), L"SELECT * FROM LogRecord WHERE RecordID = 3");
    EXPECT_EQ(query_->Parse(L"wql", L"SELECT * FROM Sensor", 0), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(query_->Parse(L"WQL", L"SELECT * FROM Sensor", 1), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(query_->Parse(L"WQL", nullptr, 0), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(query_->Parse(L"WQL", L"SELEC * FROM Sensor", 0), Wbem(WBEM_E_INVALID_QUERY));
    EXPECT_EQ(Analysis(), L"(failed)");  // a failed parse leaves nothing to analyse
}

TEST_F(QueryParserTest, HandsOutOnlyTheQueryText) {
    void* analysis = reinterpret_cast<void*>(1);
    EXPECT_EQ(query_->GetAnalysis(WMIQ_ANALYSIS_QUERY_TEXT, 0, &analysis),
              Wbem(WBEM_E_INVALID_OPERATION));
    EXPECT_EQ(analysis, nullptr);
    ASSERT_EQ(query_->Parse(L"WQL", L"SELECT * FROM Sensor", 0), S_OK);
    EXPECT_EQ(query_->GetAnalysis(WMIQ_ANALYSIS_RPN_SEQUENCE, 0, &analysis),
              Wbem(WBEM_E_NOT_SUPPORTED));
    EXPECT_EQ(query_->GetAnalysis(WMIQ_ANALYSIS_QUERY_TEXT, 0, nullptr),
              Wbem(WBEM_E_INVALID_PARAMETER));

    // Analyses still held are freed with the parser; memory it did not hand out is refused.
    ASSERT_EQ(query_->GetAnalysis(WMIQ_ANALYSIS_QUERY_TEXT, 0, &analysis), S_OK);
    int foreign = 0;
    EXPECT_EQ(query_->FreeMemory(&foreign), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(query_->FreeMemory(nullptr), S_OK);
    EXPECT_EQ(query_->Empty(), S_OK);
    EXPECT_EQ(Analysis(), L"(failed)");
}

}  // namespace
}  // namespace norvwmi
