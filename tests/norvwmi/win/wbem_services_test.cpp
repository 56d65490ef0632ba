// IWbemServices of a served namespace: queries, enumerations and lookups by path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com/wbem_services.h"
#include "com/wbem_status.h"
#include "test_namespace.h"
#include "test_variant.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;
using norv::win::UniqueBstr;
using testing::NumberOf;
using testing::TextOf;
using testing::Variant;

constexpr LONG kSemisynchronous = WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY;
constexpr LONG kTimeout = 10000;

UniqueBstr Bstr(const wchar_t* text) {
    return UniqueBstr(::SysAllocString(text));
}

class WbemServices : public ::testing::Test {
protected:
    WbemServices() : served(testing::MakeTestNamespace()) {
        services = NamespaceServices::Create(served, "root\\test");
    }

    HRESULT Query(const wchar_t* text, LONG flags, ComPtr<IEnumWbemClassObject>& results,
                  const wchar_t* language = L"WQL") {
        return services->ExecQuery(Bstr(language).get(), Bstr(text).get(), flags, nullptr,
                                   results.put());
    }

    // All objects of an enumerator, and the status of the Next that ended it.
    static std::vector<ComPtr<IWbemClassObject>> Drain(IEnumWbemClassObject* results,
                                                       HRESULT& last) {
        std::vector<ComPtr<IWbemClassObject>> all;
        do {
            IWbemClassObject* batch[10] = {};
            ULONG returned = 0;
            last = results->Next(kTimeout, 10, batch, &returned);
            for (ULONG i = 0; i < returned; ++i)
                all.push_back(ComPtr<IWbemClassObject>::attach(batch[i]));
        } while (last == WBEM_S_NO_ERROR);
        return all;
    }

    std::shared_ptr<ServedNamespaces> served;
    ComPtr<NamespaceServices> services;
};

TEST_F(WbemServices, ExecQueryHandsOutTwentyFiveObjectsInBatchesOfTenTenAndFive) {
    ComPtr<IEnumWbemClassObject> results;
    ASSERT_EQ(Query(L"SELECT * FROM Numbered", kSemisynchronous, results), WBEM_S_NO_ERROR);
    std::vector<ULONG> batches;
    std::vector<std::int64_t> indexes;
    HRESULT hr = WBEM_S_NO_ERROR;
    std::vector<HRESULT> statuses;
    while (hr == WBEM_S_NO_ERROR) {
        IWbemClassObject* batch[10] = {};
        ULONG returned = 0xDEAD;
        hr = results->Next(kTimeout, 10, batch, &returned);
        statuses.push_back(hr);
        batches.push_back(returned);
        for (ULONG i = 0; i < returned; ++i) {
            Variant index;
            EXPECT_EQ(batch[i]->Get(L"Index", 0, index.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
            indexes.push_back(NumberOf(*index));
            batch[i]->Release();
        }
    }
    EXPECT_EQ(batches, (std::vector<ULONG>{10, 10, 5}));
    EXPECT_EQ(statuses, (std::vector<HRESULT>{WBEM_S_NO_ERROR, WBEM_S_NO_ERROR, WBEM_S_FALSE}));
    ASSERT_EQ(indexes.size(), 25u);
    for (std::size_t i = 0; i < indexes.size(); ++i)
        EXPECT_EQ(indexes[i], static_cast<std::int64_t>(i));
    IWbemClassObject* none[1] = {};
    ULONG returned = 0xDEAD;
    EXPECT_EQ(results->Next(kTimeout, 1, none, &returned), WBEM_S_FALSE);
    EXPECT_EQ(returned, 0u);
}

TEST_F(WbemServices, FailuresOfQueriesAsWmiReportsThem) {
    struct Row {
        const wchar_t* query;
        HRESULT failure;
    };
    const Row rows[] = {
        {L"SELECT * FROM NoSuchClass", Wbem(WBEM_E_INVALID_CLASS)},
        {L"SELECT NoSuchProperty FROM Numbered", Wbem(WBEM_E_INVALID_QUERY)},
        {L"SELECT Index, Extra FROM Base", Wbem(WBEM_E_INVALID_QUERY)},
        {L"SELECT * FROM", Wbem(WBEM_E_INVALID_QUERY)},
        {L"DELETE FROM Numbered", Wbem(WBEM_E_INVALID_QUERY)},
        {L"SELECT * FROM Numbered WHERE Index = 1", Wbem(WBEM_E_NOT_SUPPORTED)},
    };
    for (const Row& row : rows) {
        // Semisynchronous: the call succeeds and the first Next reports the failure.
        ComPtr<IEnumWbemClassObject> results;
        ASSERT_EQ(Query(row.query, kSemisynchronous, results), WBEM_S_NO_ERROR);
        IWbemClassObject* batch[10] = {};
        ULONG returned = 0xDEAD;
        EXPECT_EQ(results->Next(kTimeout, 10, batch, &returned), row.failure);
        EXPECT_EQ(returned, 0u);
        // Synchronous: the call itself fails.
        EXPECT_EQ(Query(row.query, 0, results), row.failure);
        EXPECT_FALSE(results);
    }
}

TEST_F(WbemServices, QueryLanguageAndParameters) {
    ComPtr<IEnumWbemClassObject> results;
    EXPECT_EQ(Query(L"SELECT * FROM Numbered", 0, results, L"SQL"),
              Wbem(WBEM_E_INVALID_QUERY_TYPE));
    EXPECT_EQ(Query(L"SELECT * FROM Numbered", kSemisynchronous, results, L"SQL"),
              Wbem(WBEM_E_INVALID_QUERY_TYPE));
    EXPECT_EQ(Query(L"SELECT * FROM Numbered", 0, results, L"wql"), WBEM_S_NO_ERROR);
    EXPECT_EQ(Query(L"SELECT * FROM Numbered", 0x1000000, results), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(services->ExecQuery(Bstr(L"WQL").get(), nullptr, 0, nullptr, results.put()),
              Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(services->ExecQuery(Bstr(L"WQL").get(), Bstr(L"SELECT * FROM Numbered").get(), 0,
                                  nullptr, nullptr),
              Wbem(WBEM_E_INVALID_PARAMETER));
}

TEST_F(WbemServices, ASelectListReturnsOnlyTheSelectedProperties) {
    ComPtr<IEnumWbemClassObject> results;
    ASSERT_EQ(Query(L"select LABEL from numbered", kSemisynchronous, results), WBEM_S_NO_ERROR);
    HRESULT last = 0;
    auto objects = Drain(results.get(), last);
    EXPECT_EQ(last, WBEM_S_FALSE);
    ASSERT_EQ(objects.size(), 25u);
    Variant label;
    ASSERT_EQ(objects[3]->Get(L"Label", 0, label.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(TextOf(*label), L"n3");
    Variant index;
    EXPECT_EQ(objects[3]->Get(L"Index", 0, index.get(), nullptr, nullptr), Wbem(WBEM_E_NOT_FOUND));
    Variant path;
    ASSERT_EQ(objects[3]->Get(L"__PATH", 0, path.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(path.type(), VT_NULL);

    ASSERT_EQ(Query(L"SELECT Label, __PATH FROM Numbered", kSemisynchronous, results),
              WBEM_S_NO_ERROR);
    objects = Drain(results.get(), last);
    ASSERT_EQ(objects.size(), 25u);
    ASSERT_EQ(objects[3]->Get(L"__PATH", 0, path.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(TextOf(*path), L"\\\\TESTHOST\\root\\test:Numbered.Index=3");
    EXPECT_EQ(objects[3]->Get(L"Index", 0, index.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
}

TEST_F(WbemServices, QueriesOfABaseClassReturnDerivedInstances) {
    ComPtr<IEnumWbemClassObject> results;
    ASSERT_EQ(Query(L"SELECT * FROM Base", 0, results), WBEM_S_NO_ERROR);
    HRESULT last = 0;
    auto objects = Drain(results.get(), last);
    ASSERT_EQ(objects.size(), 2u);
    Variant className;
    ASSERT_EQ(objects[1]->Get(L"__CLASS", 0, className.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(TextOf(*className), L"Derived");
    ASSERT_EQ(services->CreateInstanceEnum(Bstr(L"Base").get(), WBEM_FLAG_SHALLOW, nullptr,
                                           results.put()),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(Drain(results.get(), last).size(), 1u);
    EXPECT_EQ(services->CreateInstanceEnum(Bstr(L"Nothing").get(), 0, nullptr, results.put()),
              Wbem(WBEM_E_INVALID_CLASS));
}

TEST_F(WbemServices, GetObjectOfClassesAndInstances) {
    ComPtr<IWbemClassObject> object;
    ASSERT_EQ(services->GetObject(Bstr(L"Numbered").get(), 0, nullptr, object.put(), nullptr),
              WBEM_S_NO_ERROR);
    Variant genus;
    ASSERT_EQ(object->Get(L"__GENUS", 0, genus.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(NumberOf(*genus), WBEM_GENUS_CLASS);

    ASSERT_EQ(services->GetObject(Bstr(LR"(Pair.Right=-4,Left="A\"B")").get(), 0, nullptr,
                                  object.put(), nullptr),
              WBEM_S_NO_ERROR);
    Variant relpath;
    ASSERT_EQ(object->Get(L"__RELPATH", 0, relpath.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(TextOf(*relpath), LR"(Pair.Left="a\"b",Right=-4)");

    struct Row {
        const wchar_t* path;
        HRESULT status;
    };
    const Row rows[] = {
        {L"Numbered.Index=24", WBEM_S_NO_ERROR},
        {L"\\\\.\\root\\test:Numbered=7", WBEM_S_NO_ERROR},
        {L"Numbered.Index=25", Wbem(WBEM_E_NOT_FOUND)},
        {L"NoSuchClass", Wbem(WBEM_E_NOT_FOUND)},
        {L"NoSuchClass.Key=1", Wbem(WBEM_E_INVALID_CLASS)},
        {L"Numbered.Label=\"n1\"", Wbem(WBEM_E_INVALID_OBJECT_PATH)},
        {L"Numbered.Index", Wbem(WBEM_E_INVALID_OBJECT_PATH)},
        {L"root\\elsewhere:Numbered", Wbem(WBEM_E_INVALID_NAMESPACE)},
        {L"", Wbem(WBEM_E_NOT_SUPPORTED)},
    };
    for (const Row& row : rows) {
        ComPtr<IWbemClassObject> found;
        EXPECT_EQ(services->GetObject(Bstr(row.path).get(), 0, nullptr, found.put(), nullptr),
                  row.status)
            << std::string(row.path, row.path + wcslen(row.path));
        EXPECT_EQ(static_cast<bool>(found), SUCCEEDED(row.status));
    }
    EXPECT_EQ(services->GetObject(Bstr(L"Numbered").get(), 0, nullptr, nullptr, nullptr),
              Wbem(WBEM_E_INVALID_PARAMETER));
}

TEST_F(WbemServices, TheRestIsNotSupported) {
    ComPtr<IWbemServices> opened;
    EXPECT_EQ(services->OpenNamespace(Bstr(L"x").get(), 0, nullptr, opened.put(), nullptr),
              Wbem(WBEM_E_NOT_SUPPORTED));
    EXPECT_EQ(services->ExecQueryAsync(Bstr(L"WQL").get(), Bstr(L"SELECT * FROM Numbered").get(), 0,
                                       nullptr, nullptr),
              Wbem(WBEM_E_NOT_SUPPORTED));
    EXPECT_EQ(services->PutInstance(nullptr, 0, nullptr, nullptr), Wbem(WBEM_E_NOT_SUPPORTED));
    EXPECT_EQ(services->ExecMethod(Bstr(L"RecordLog").get(), Bstr(L"ClearLog").get(), 0, nullptr,
                                   nullptr, nullptr, nullptr),
              Wbem(WBEM_E_NOT_SUPPORTED));
    ComPtr<IEnumWbemClassObject> classes;
    EXPECT_EQ(services->CreateClassEnum(nullptr, 0, nullptr, classes.put()),
              Wbem(WBEM_E_NOT_SUPPORTED));
}

}  // namespace
}  // namespace norvwmi
