// IEnumWbemClassObject: batches, the stall of a class and the time-out path, and the
// enumerator's other methods.
#include <gtest/gtest.h>

#include <vector>

#include "com/wbem_services.h"
#include "com/wbem_status.h"
#include "test_namespace.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;

constexpr LONG kSemisynchronous = WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY;

struct Batch {
    HRESULT status;
    ULONG returned;
    DWORD milliseconds;
};

Batch NextBatch(IEnumWbemClassObject* results, LONG timeout, ULONG count = 10) {
    IWbemClassObject* objects[25] = {};
    ULONG returned = 0xDEAD;
    const DWORD start = ::GetTickCount();
    const HRESULT status = results->Next(timeout, count, objects, &returned);
    const DWORD elapsed = ::GetTickCount() - start;
    for (ULONG i = 0; i < returned && i < 25; ++i) objects[i]->Release();
    return Batch{status, returned, elapsed};
}

class ObjectEnumeration : public ::testing::Test {
protected:
    ObjectEnumeration() : served(testing::MakeTestNamespace()) {
        services = NamespaceServices::Create(served, "root\\test");
    }

    ComPtr<IEnumWbemClassObject> Numbered(LONG flags = kSemisynchronous) {
        ComPtr<IEnumWbemClassObject> results;
        norv::win::UniqueBstr language(::SysAllocString(L"WQL"));
        norv::win::UniqueBstr query(::SysAllocString(L"SELECT * FROM Numbered"));
        EXPECT_EQ(services->ExecQuery(language.get(), query.get(), flags, nullptr, results.put()),
                  WBEM_S_NO_ERROR);
        return results;
    }

    std::shared_ptr<ServedNamespaces> served;
    ComPtr<NamespaceServices> services;
};

TEST_F(ObjectEnumeration, AStalledClassTimesOutWithWhatItHas) {
    served->SetStall("ROOT\\TEST", "numbered", 15);
    auto results = Numbered();
    Batch batch = NextBatch(results.get(), 300);
    EXPECT_EQ(batch.status, WBEM_S_NO_ERROR);
    EXPECT_EQ(batch.returned, 10u);
    EXPECT_LT(batch.milliseconds, 250u);  // a full batch does not wait

    batch = NextBatch(results.get(), 300);
    EXPECT_EQ(batch.status, WBEM_S_TIMEDOUT);
    EXPECT_EQ(batch.returned, 5u);
    EXPECT_GE(batch.milliseconds, 250u);  // it waited out its time-out

    batch = NextBatch(results.get(), 0);
    EXPECT_EQ(batch.status, WBEM_S_TIMEDOUT);
    EXPECT_EQ(batch.returned, 0u);
}

TEST_F(ObjectEnumeration, TheWaitLimitCutsLongTimeOutsAndEndsInfiniteOnes) {
    served->SetStall("root\\test", "Numbered", 3);
    served->SetWaitLimit(100);
    auto results = Numbered();
    Batch batch = NextBatch(results.get(), 10000);
    EXPECT_EQ(batch.status, WBEM_S_TIMEDOUT);
    EXPECT_EQ(batch.returned, 3u);
    EXPECT_LT(batch.milliseconds, 2000u);

    // WBEM_INFINITE would hang under WMI: the host fails the call and hands out nothing.
    served->SetStall("root\\test", "Numbered", 6);
    auto again = Numbered();
    batch = NextBatch(again.get(), static_cast<LONG>(WBEM_INFINITE));
    EXPECT_EQ(batch.status, Wbem(WBEM_E_TIMED_OUT));
    EXPECT_EQ(batch.returned, 0u);
    EXPECT_LT(batch.milliseconds, 2000u);
    batch = NextBatch(again.get(), 0);  // nothing was lost
    EXPECT_EQ(batch.status, WBEM_S_TIMEDOUT);
    EXPECT_EQ(batch.returned, 6u);
    // An infinite wait for no more than is there succeeds.
    served->ClearStall("root\\test", "Numbered");
    auto free = Numbered();
    batch = NextBatch(free.get(), static_cast<LONG>(WBEM_INFINITE), 25);
    EXPECT_EQ(batch.status, WBEM_S_NO_ERROR);
    EXPECT_EQ(batch.returned, 25u);
}

}  // namespace
}  // namespace norvwmi
