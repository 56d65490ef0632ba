// The COM side of calling a provider: the server call context gives the client's level, the
// recording sink and the check that a call ended as a client expects, and the WMI utility
// parsers the host registers for the provider (the query parser's documented minimum), and
// the class object every one of the host's classes is made by.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "com/call_context.h"
#include "com/completion_check.h"
#include "com/host_class_factory.h"
#include "com/query_parser.h"
#include "com/recording_sink.h"
#include "com/utility_parser_ids.h"
#include "com/utility_parsers.h"
#include "com/wbem_hresult.h"
#include "test_namespace.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;

// The impersonation level of the thread's token; ERROR_NO_TOKEN's negative when there is none.
int ThreadTokenLevel() {
    HANDLE token = nullptr;
    if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, &token))
        return -static_cast<int>(::GetLastError());
    norv::win::UniqueHandle owner(token);
    SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
    DWORD length = 0;
    ::GetTokenInformation(token, TokenImpersonationLevel, &level, sizeof level, &length);
    return level;
}

TEST(ServerCallContext, ImpersonationGivesTheClientsLevelAndAForgottenRevertIsReported) {
    struct Row {
        ClientLevel client;
        SECURITY_IMPERSONATION_LEVEL token;
    };
    for (const Row row : {Row{ClientLevel::Identify, SecurityIdentification},
                          Row{ClientLevel::Impersonate, SecurityImpersonation},
                          Row{ClientLevel::Delegate, SecurityDelegation}}) {
        const HRESULT hr = RunInCallContext(row.client, [&] {
            EXPECT_EQ(::CoImpersonateClient(), S_OK);
            EXPECT_EQ(ThreadTokenLevel(), row.token);
            DWORD level = 0;
            EXPECT_EQ(::CoQueryClientBlanket(nullptr, nullptr, nullptr, nullptr, &level, nullptr,
                                             nullptr),
                      S_OK);
            EXPECT_EQ(level, static_cast<DWORD>(row.client));
            EXPECT_EQ(::CoRevertToSelf(), S_OK);
            EXPECT_EQ(ThreadTokenLevel(), -ERROR_NO_TOKEN);
            return S_FALSE;
        });
        EXPECT_EQ(hr, S_FALSE);  // the call's own result
    }
    ServerCallContext context(ClientLevel::Impersonate);
    ASSERT_EQ(::CoImpersonateClient(), S_OK);
    context.End();
    EXPECT_TRUE(context.LeftImpersonating());
    EXPECT_EQ(ThreadTokenLevel(), -ERROR_NO_TOKEN);
    ServerCallContext tidy(ClientLevel::Impersonate);
    ASSERT_EQ(::CoImpersonateClient(), S_OK);
    ASSERT_EQ(::CoRevertToSelf(), S_OK);
    tidy.End();
    EXPECT_FALSE(tidy.LeftImpersonating());
}

TEST(RecordingSink, KeepsAReferenceToWhatItIsGiven) {
    auto sink = RecordingSink::Create();
    const long before = LiveComObjects();
    {
        auto first = testing::NewTestInstance("Base");
        auto second = testing::NewTestInstance("Pair");
        IWbemClassObject* both[] = {first.get(), second.get()};
        ASSERT_EQ(sink->Indicate(2, both), WBEM_S_NO_ERROR);
        ASSERT_EQ(sink->Indicate(1, both), WBEM_S_NO_ERROR);
    }
    EXPECT_EQ(LiveComObjects(), before + 2);
    ASSERT_EQ(sink->Objects().size(), 3u);
    EXPECT_EQ(sink->Objects()[0].get(), sink->Objects()[2].get());
    EXPECT_EQ(sink->Indicate(1, nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
    sink->FailIndicateWith(Wbem(WBEM_E_CALL_CANCELLED));
    IWbemClassObject* one[] = {sink->Objects()[0].get()};
    EXPECT_EQ(sink->Indicate(1, one), Wbem(WBEM_E_CALL_CANCELLED));
    EXPECT_EQ(sink->Objects().size(), 3u);
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

    // A final status from another thread, after a progress report, ends the wait; the sink
    // keeps its result and text.
    auto late = RecordingSink::Create();
    std::thread provider([&] {
        ::Sleep(50);
        late->SetStatus(WBEM_STATUS_PROGRESS, 0, nullptr, nullptr);
        norv::win::UniqueBstr text(::SysAllocString(L"done"));
        late->SetStatus(WBEM_STATUS_COMPLETE, Wbem(WBEM_E_FAILED), text.get(), nullptr);
    });
    EXPECT_TRUE(CheckCompletion(WBEM_S_NO_ERROR, *late.get(), 5000).empty());
    provider.join();
    ASSERT_EQ(late->FinalStatuses().size(), 1u);
    EXPECT_EQ(late->FinalStatuses()[0].result, Wbem(WBEM_E_FAILED));
    EXPECT_EQ(late->FinalStatuses()[0].text, L"done");
}

TEST(UtilityParsers, RegistrationRoutesBothClassesToTheHostWhileItLasts) {
    const long before = LiveComObjects();
    {
        auto registration = RegisterWmiUtilityParsers();
        ASSERT_EQ(registration.Status(), S_OK);
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
}

// Each of the host's class objects: a new object for every CreateInstance, no aggregation,
// nothing left alive by a refused request.
TEST(HostClassFactory, MakesANewObjectForEveryRequestAndRefusesAggregation) {
    const long before = LiveComObjects();
    {
        auto factory = HostClassFactory<QueryParser>::Create();
        ComPtr<IWbemQuery> first;
        ComPtr<IWbemQuery> second;
        ASSERT_EQ(factory->CreateInstance(nullptr, __uuidof(IWbemQuery), first.put_void()), S_OK);
        ASSERT_EQ(factory->CreateInstance(nullptr, __uuidof(IWbemQuery), second.put_void()), S_OK);
        EXPECT_NE(first.get(), second.get());
        EXPECT_EQ(LiveComObjects(), before + 3);

        void* out = &out;
        EXPECT_EQ(factory->CreateInstance(first.get(), __uuidof(IUnknown), &out),
                  CLASS_E_NOAGGREGATION);
        EXPECT_EQ(out, nullptr);
        out = &out;
        EXPECT_EQ(factory->CreateInstance(nullptr, __uuidof(IWbemPath), &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(factory->CreateInstance(nullptr, __uuidof(IWbemQuery), nullptr), E_POINTER);
        EXPECT_EQ(factory->LockServer(TRUE), S_OK);
        EXPECT_EQ(factory->LockServer(FALSE), S_OK);
        EXPECT_EQ(LiveComObjects(), before + 3);
    }
    EXPECT_EQ(LiveComObjects(), before);
}

TEST(QueryParser, ParsesWqlAndHandsOutOnlyTheQueryText) {
    auto query = QueryParser::Create();
    auto analysis = [&]() -> std::wstring {
        void* text = reinterpret_cast<void*>(1);
        if (FAILED(query->GetAnalysis(WMIQ_ANALYSIS_QUERY_TEXT, 0, &text)))
            return text ? L"(not cleared)" : L"(failed)";
        std::wstring copy(static_cast<const wchar_t*>(text));
        EXPECT_EQ(query->FreeMemory(text), S_OK);
        return copy;
    };
    EXPECT_EQ(analysis(), L"(failed)");  // nothing parsed yet
    EXPECT_EQ(query->Parse(L"SQL", L"select DeviceID, Name from NumericSensor", 0), S_OK);
    EXPECT_EQ(query->Parse(L"WQL", L"SELECT * FROM LogRecord WHERE RecordID = 3", 0), S_OK);
    EXPECT_EQ(analysis(), L"SELECT * FROM LogRecord WHERE RecordID = 3");
    void* other = nullptr;
    EXPECT_EQ(query->GetAnalysis(WMIQ_ANALYSIS_RPN_SEQUENCE, 0, &other),
              Wbem(WBEM_E_NOT_SUPPORTED));
    int foreign = 0;
    EXPECT_EQ(query->FreeMemory(&foreign), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(query->Parse(L"wql", L"SELECT * FROM Sensor", 0), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(query->Parse(L"WQL", L"SELECT * FROM Sensor", 1), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(query->Parse(L"WQL", nullptr, 0), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(query->Parse(L"WQL", L"SELEC * FROM Sensor", 0), Wbem(WBEM_E_INVALID_QUERY));
    EXPECT_EQ(analysis(), L"(failed)");  // a failed parse leaves nothing to analyse
}

}  // namespace
}  // namespace norvwmi
