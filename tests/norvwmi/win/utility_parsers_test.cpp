// The host's registration of the WMI utility parsers: while it lasts, the provider's way of
// creating them by class id reaches the host's objects; the query parser answers its
// documented minimum.
#include <gtest/gtest.h>

#include <string>

#include "com/query_parser.h"
#include "com/utility_parsers.h"
#include "com/wbem_status.h"
#include "com/wmi_utility_interfaces.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;
using norv::win::UniqueVariant;

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

        UtilityParserRegistration moved = std::move(registration);
        EXPECT_FALSE(registration.IsRegistered());
        EXPECT_TRUE(moved.IsRegistered());
    }
    EXPECT_EQ(LiveComObjects(), before);

    // Revoked: whatever answers now is not the host's.
    ComPtr<IWbemQuery> query;
    const HRESULT created = ::CoCreateInstance(kQueryParserClsid, nullptr, CLSCTX_INPROC_SERVER,
                                               __uuidof(IWbemQuery), query.put_void());
    if (UnderWine()) {
        EXPECT_EQ(created, REGDB_E_CLASSNOTREG);  // the gap the host fills
    }
    ComPtr<IWbemPath> path;
    if (SUCCEEDED(::CoCreateInstance(kPathParserClsid, nullptr, CLSCTX_INPROC_SERVER,
                                     __uuidof(IWbemPath), path.put_void()))) {
        EXPECT_EQ(LiveComObjects(), before);
    }
}

TEST(UtilityParsers, RevokeEndsBothRegistrations) {
    auto registration = RegisterWmiUtilityParsers();
    ASSERT_EQ(registration.Status(), S_OK);
    registration.Revoke();
    EXPECT_FALSE(registration.IsRegistered());
    const long before = LiveComObjects();
    ComPtr<IWbemPath> path;
    if (SUCCEEDED(::CoCreateInstance(kPathParserClsid, nullptr, CLSCTX_INPROC_SERVER,
                                     __uuidof(IWbemPath), path.put_void()))) {
        EXPECT_EQ(LiveComObjects(), before);
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

TEST_F(QueryParserTest, ParsesWqlSelectStatements) {
    EXPECT_EQ(query_->Parse(L"WQL", L"SELECT * FROM Sensor", 0), S_OK);
    EXPECT_EQ(Analysis(), L"SELECT * FROM Sensor");
    EXPECT_EQ(query_->Parse(L"SQL", L"select DeviceID, Name from NumericSensor", 0), S_OK);
    EXPECT_EQ(query_->Parse(L"WQL", L"SELECT * FROM LogRecord WHERE RecordID = 3", 0), S_OK);
    EXPECT_EQ(Analysis(), L"SELECT * FROM LogRecord WHERE RecordID = 3");
}

TEST_F(QueryParserTest, RefusesWhatIsNotWql) {
    EXPECT_EQ(query_->Parse(L"WQL", L"SELECT * FROM Sensor", 0), S_OK);
    EXPECT_EQ(query_->Parse(L"wql", L"SELECT * FROM Sensor", 0), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(query_->Parse(L"XPath", L"SELECT * FROM Sensor", 0), Wbem(WBEM_E_INVALID_PARAMETER));
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
    EXPECT_EQ(query_->GetAnalysis(WMIQ_ANALYSIS_ASSOC_QUERY, 0, &analysis),
              Wbem(WBEM_E_NOT_SUPPORTED));
    EXPECT_EQ(query_->GetAnalysis(WMIQ_ANALYSIS_PROP_ANALYSIS_MATRIX, 0, &analysis),
              Wbem(WBEM_E_INVALID_PARAMETER));
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

TEST_F(QueryParserTest, LanguageFeaturesAreNotImplemented) {
    ULONG features[2] = {WMIQ_LF1_BASIC_SELECT, WMIQ_LF2_CLASS_NAME_IN_QUERY};
    ULONG count = 2;
    EXPECT_EQ(query_->SetLanguageFeatures(0, 2, features), E_NOTIMPL);
    EXPECT_EQ(query_->TestLanguageFeatures(0, &count, features), E_NOTIMPL);
    EXPECT_EQ(query_->GetQueryInfo(WMIQ_ANALYSIS_QUERY_TEXT, 0, 0, nullptr), E_NOTIMPL);
}

TEST(QueryParserFactory, MakesQueryParsersAndRefusesAggregation) {
    auto factory = QueryParserFactory::Create();
    ComPtr<IWbemQuery> query;
    ASSERT_EQ(factory->CreateInstance(nullptr, __uuidof(IWbemQuery), query.put_void()), S_OK);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.get()),
                                      __uuidof(IWbemQuery), &object),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, __uuidof(IWbemPath), &object), E_NOINTERFACE);
}

}  // namespace
}  // namespace norvwmi
