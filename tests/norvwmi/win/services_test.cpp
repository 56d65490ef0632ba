// IWbemServices of a served namespace as WMI's: queries handed out in batches, failures with
// WMI's statuses, lookups by path, a stalled class timing out with what it has; the
// administrative locator the provider creates, the query command's road through it, and
// every reference of a session released.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "com/admin_locator.h"
#include "com/wbem_hresult.h"
#include "com/wbem_services.h"
#include "program/locator_query.h"
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

UniqueBstr Bstr(const wchar_t* text) {
    return UniqueBstr(::SysAllocString(text));
}

using Gave = std::pair<HRESULT, std::size_t>;  // Next's status and how many objects

struct Batch {
    HRESULT status;
    std::vector<std::int64_t> indexes;  // of the Numbered objects handed out
    DWORD milliseconds;
    Gave gave() const { return {status, indexes.size()}; }
};

Batch NextBatch(IEnumWbemClassObject* results, LONG timeout, ULONG count = 10) {
    IWbemClassObject* objects[25] = {};
    ULONG returned = 0xDEAD;
    const DWORD start = ::GetTickCount();
    Batch batch{results->Next(timeout, count, objects, &returned), {}, 0};
    batch.milliseconds = ::GetTickCount() - start;
    for (ULONG i = 0; i < returned && i < 25; ++i) {
        Variant index;
        objects[i]->Get(L"Index", 0, index.get(), nullptr, nullptr);
        batch.indexes.push_back(NumberOf(*index));
        objects[i]->Release();
    }
    return batch;
}

class WbemServices : public ::testing::Test {
protected:
    WbemServices() : served(testing::MakeTestNamespace()) {
        services = NamespaceServices::Create(served, "root\\test");
    }

    HRESULT Query(const wchar_t* text, LONG flags, ComPtr<IEnumWbemClassObject>& results) {
        return services->ExecQuery(Bstr(L"WQL").get(), Bstr(text).get(), flags, nullptr,
                                   results.put());
    }

    ComPtr<IEnumWbemClassObject> Numbered() {
        ComPtr<IEnumWbemClassObject> results;
        EXPECT_EQ(Query(L"SELECT * FROM Numbered", kSemisynchronous, results), WBEM_S_NO_ERROR);
        return results;
    }

    std::shared_ptr<ServedNamespaces> served;
    ComPtr<NamespaceServices> services;
};

TEST_F(WbemServices, ExecQueryHandsOutTwentyFiveObjectsInBatchesOfTenTenAndFive) {
    auto results = Numbered();
    std::vector<std::int64_t> all;
    for (std::size_t expected : {10u, 10u, 5u}) {
        const Batch batch = NextBatch(results.get(), 10000);
        EXPECT_EQ(batch.gave(), Gave(expected == 10 ? WBEM_S_NO_ERROR : WBEM_S_FALSE, expected));
        all.insert(all.end(), batch.indexes.begin(), batch.indexes.end());
    }
    for (std::size_t i = 0; i < all.size(); ++i) EXPECT_EQ(all[i], static_cast<std::int64_t>(i));
    const Batch after = NextBatch(results.get(), 10000, 1);
    EXPECT_EQ(after.gave(), Gave(WBEM_S_FALSE, 0));
}

// A query or path and the status WMI answers it with.
struct StatusRow {
    const wchar_t* text;
    HRESULT status;
};

TEST_F(WbemServices, FailuresOfQueriesAsWmiReportsThem) {
    const StatusRow rows[] = {
        {L"SELECT * FROM NoSuchClass", Wbem(WBEM_E_INVALID_CLASS)},
        {L"SELECT Index, Extra FROM Base", Wbem(WBEM_E_INVALID_QUERY)},
        {L"SELECT * FROM Numbered WHERE Index = 1", Wbem(WBEM_E_NOT_SUPPORTED)},
    };
    for (const StatusRow& row : rows) {
        // Semisynchronous: the call succeeds and the first Next reports the failure.
        ComPtr<IEnumWbemClassObject> results;
        ASSERT_EQ(Query(row.text, kSemisynchronous, results), WBEM_S_NO_ERROR);
        EXPECT_EQ(NextBatch(results.get(), 10000).gave(), Gave(row.status, 0));
        // Synchronous: the call itself fails.
        EXPECT_EQ(Query(row.text, 0, results), row.status);
        EXPECT_FALSE(results);
    }
}

TEST_F(WbemServices, GetObjectOfClassesAndInstances) {
    ComPtr<IWbemClassObject> object;
    ASSERT_EQ(services->GetObject(Bstr(LR"(Pair.Right=-4,Left="A\"B")").get(), 0, nullptr,
                                  object.put(), nullptr),
              WBEM_S_NO_ERROR);
    Variant relpath;
    ASSERT_EQ(object->Get(L"__RELPATH", 0, relpath.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(TextOf(*relpath), LR"(Pair.Left="a\"b",Right=-4)");
    const StatusRow rows[] = {
        {L"Numbered", WBEM_S_NO_ERROR},
        {L"Numbered.Index=25", Wbem(WBEM_E_NOT_FOUND)},
        {L"NoSuchClass.Key=1", Wbem(WBEM_E_INVALID_CLASS)},
        {L"Numbered.Label=\"n1\"", Wbem(WBEM_E_INVALID_OBJECT_PATH)},
        {L"root\\elsewhere:Numbered", Wbem(WBEM_E_INVALID_NAMESPACE)},
        {L"", Wbem(WBEM_E_NOT_SUPPORTED)},
    };
    for (const StatusRow& row : rows) {
        ComPtr<IWbemClassObject> found;
        EXPECT_EQ(services->GetObject(Bstr(row.text).get(), 0, nullptr, found.put(), nullptr),
                  row.status)
            << testing::Narrow(row.text);
        EXPECT_EQ(static_cast<bool>(found), SUCCEEDED(row.status));
    }
    EXPECT_EQ(services->GetObject(Bstr(L"Numbered").get(), 0, nullptr, nullptr, nullptr),
              Wbem(WBEM_E_INVALID_PARAMETER));
}

TEST_F(WbemServices, AStalledClassTimesOutWithWhatItHasWithinTheWaitLimit) {
    served->SetStall("ROOT\\TEST", "numbered", 15);
    auto results = Numbered();
    Batch batch = NextBatch(results.get(), 300);
    EXPECT_EQ(batch.gave(), Gave(WBEM_S_NO_ERROR, 10));
    EXPECT_LT(batch.milliseconds, 250u);  // a full batch does not wait
    batch = NextBatch(results.get(), 300);
    EXPECT_EQ(batch.gave(), Gave(WBEM_S_TIMEDOUT, 5));
    EXPECT_GE(batch.milliseconds, 250u);  // it waited out its time-out

    // The wait limit cuts long time-outs; WBEM_INFINITE would hang under WMI: the host
    // fails the call and hands out nothing, and nothing is lost.
    served->SetStall("root\\test", "Numbered", 3);
    served->SetWaitLimit(100);
    auto again = Numbered();
    batch = NextBatch(again.get(), 10000);
    EXPECT_EQ(batch.gave(), Gave(WBEM_S_TIMEDOUT, 3));
    EXPECT_LT(batch.milliseconds, 2000u);
    served->SetStall("root\\test", "Numbered", 6);
    auto infinite = Numbered();
    batch = NextBatch(infinite.get(), static_cast<LONG>(WBEM_INFINITE));
    EXPECT_EQ(batch.gave(), Gave(Wbem(WBEM_E_TIMED_OUT), 0));
    EXPECT_EQ(NextBatch(infinite.get(), 0).indexes.size(), 6u);
    served->ClearStall("root\\test", "Numbered");
    auto free = Numbered();
    batch = NextBatch(free.get(), static_cast<LONG>(WBEM_INFINITE), 25);
    EXPECT_EQ(batch.gave(), Gave(WBEM_S_NO_ERROR, 25));
}

// What the namespace does not serve it refuses as WMI does, writing no out-parameter (every
// refused method is declared by one macro: one call of each kind of out-parameter shows it).
TEST_F(WbemServices, RefusesEveryRequestItDoesNotServe) {
    const UniqueBstr text = Bstr(L"Numbered");
    IWbemServices* opened = nullptr;
    IWbemCallResult* callResult = nullptr;
    IEnumWbemClassObject* enumerator = nullptr;
    IWbemClassObject* object = nullptr;
    const BSTR t = text.get();
    EXPECT_EQ(services->OpenNamespace(t, 0, nullptr, &opened, &callResult),
              Wbem(WBEM_E_NOT_SUPPORTED));
    EXPECT_EQ(services->CreateClassEnum(nullptr, 0, nullptr, &enumerator),
              Wbem(WBEM_E_NOT_SUPPORTED));
    EXPECT_EQ(services->ExecMethod(t, t, 0, nullptr, nullptr, &object, &callResult),
              Wbem(WBEM_E_NOT_SUPPORTED));
    EXPECT_EQ(opened, nullptr);
    EXPECT_EQ(callResult, nullptr);
    EXPECT_EQ(enumerator, nullptr);
    EXPECT_EQ(object, nullptr);
}

HRESULT Connect(IWbemLocator* locator, const wchar_t* nameSpace, ComPtr<IWbemServices>& services) {
    return locator->ConnectServer(Bstr(nameSpace).get(), nullptr, nullptr, nullptr, 0, nullptr,
                                  nullptr, services.put());
}

TEST(AdminLocator, ReachedByCoCreateInstanceServesTheNamespaceAndLeavesNoReference) {
    const long before = LiveComObjects();
    {
        FactoryRegistration registration;
        ASSERT_EQ(RegisterAdminLocator(testing::MakeTestNamespace(), registration), S_OK);
        ComPtr<IWbemLocator> locator;
        ASSERT_EQ(::CoCreateInstance(kAdministrativeLocatorClsid, nullptr, CLSCTX_INPROC_SERVER,
                                     __uuidof(IWbemLocator), locator.put_void()),
                  S_OK);
        ComPtr<IWbemServices> unknown;
        EXPECT_EQ(Connect(locator.get(), L"\\\\otherhost\\root\\test", unknown),
                  Wbem(WBEM_E_INVALID_NAMESPACE));
        EXPECT_FALSE(unknown);
        EXPECT_EQ(locator->ConnectServer(nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                         nullptr),
                  Wbem(WBEM_E_INVALID_PARAMETER));

        // A session through the locator: queries, a lookup and the objects of a method.
        ComPtr<IWbemServices> services;
        ASSERT_EQ(Connect(locator.get(), L"//./ROOT/Test", services), WBEM_S_NO_ERROR);
        for (LONG flags : {0L, kSemisynchronous}) {
            ComPtr<IEnumWbemClassObject> results;
            ASSERT_EQ(services->ExecQuery(Bstr(L"WQL").get(), Bstr(L"SELECT * FROM Numbered").get(),
                                          flags, nullptr, results.put()),
                      WBEM_S_NO_ERROR);
            // The rest stays with the enumerator, which lets go of it when released.
            EXPECT_EQ(NextBatch(results.get(), 1000).indexes.size(), 10u);
        }
        ComPtr<IWbemClassObject> logClass;
        ASSERT_EQ(
            services->GetObject(Bstr(L"RecordLog").get(), 0, nullptr, logClass.put(), nullptr),
            WBEM_S_NO_ERROR);
        ComPtr<IWbemClassObject> in;
        ComPtr<IWbemClassObject> out;
        ASSERT_EQ(logClass->GetMethod(L"Rename", 0, in.put(), out.put()), WBEM_S_NO_ERROR);
        ComPtr<IWbemClassObject> outInstance;
        ASSERT_EQ(out->SpawnInstance(0, outInstance.put()), WBEM_S_NO_ERROR);
        ComPtr<IWbemClassObject> clone;
        ASSERT_EQ(outInstance->Clone(clone.put()), WBEM_S_NO_ERROR);
        ComPtr<IWbemQualifierSet> qualifiers;
        ASSERT_EQ(logClass->GetPropertyQualifierSet(L"InstanceID", qualifiers.put()),
                  WBEM_S_NO_ERROR);
        ASSERT_EQ(logClass->GetQualifierSet(qualifiers.put()), WBEM_S_NO_ERROR);
        EXPECT_GT(LiveComObjects(), before);

        // The query command names the step that failed.
        const LocatorQueryOutcome unknownClass =
            RunLocatorQuery("root\\test", "SELECT * FROM Nothing");
        EXPECT_EQ(unknownClass.status, Wbem(WBEM_E_INVALID_CLASS));
        EXPECT_EQ(unknownClass.step, "IEnumWbemClassObject::Next");
        const LocatorQueryOutcome unknownNamespace =
            RunLocatorQuery("root\\nothing", "SELECT * FROM A");
        EXPECT_EQ(unknownNamespace.status, Wbem(WBEM_E_INVALID_NAMESPACE));
        EXPECT_EQ(unknownNamespace.step, "ConnectServer");
    }
    EXPECT_EQ(LiveComObjects(), before);
}

}  // namespace
}  // namespace norvwmi
