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

}  // namespace
}  // namespace norvwmi
