#include "host/class_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <new>
#include <thread>
#include <vector>

#include "host/com_object.h"
#include "host/module_state.h"
#include "host/provider_class_row.h"
#include "host_test_support.h"
#include "platform/win_resource.h"

namespace norv::win {
namespace {

// A provider stand-in: answers IUnknown only, holds a module lock like every provider object,
// and counts the living instances.
class CountingObject : public ComObject<CountingObject, ModuleLockHolder, IUnknown> {
public:
    static inline std::atomic<int> living{0};

    CountingObject() noexcept { ++living; }
    ~CountingObject() override { --living; }
};

// A provider whose allocation always fails.
class UnallocatableObject final : public CountingObject {
public:
    static void* operator new(std::size_t, const std::nothrow_t&) noexcept { return nullptr; }
    static void operator delete(void* p) noexcept { ::operator delete(p); }
};

constexpr GUID kUnknownClsid = GuidOf("{D3A5F0B7-2C19-4E8A-B6D4-71E9C02F5A36}");

// Two classes of the module's identity table, served by the test's own objects.
const ProviderClassRow kRows[] = {
    MakeProviderClassRow(kProviderClassIdentities[0], &CreateProviderObject<CountingObject>),
    MakeProviderClassRow(kProviderClassIdentities[1], &CreateProviderObject<UnallocatableObject>),
};
const GUID& kCountingClsid = kRows[0].clsid;

class ClassTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Module().LockCount(), 0);
        ASSERT_EQ(CountingObject::living, 0);
        ASSERT_FALSE(table_.InitializationFailed());
    }
    void TearDown() override {
        EXPECT_EQ(Module().LockCount(), 0) << "a module lock was left behind";
        EXPECT_EQ(CountingObject::living, 0) << "a provider object was left alive";
    }

    ComPtr<IClassFactory> ClassObject(const GUID& clsid = kCountingClsid) {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(table_.GetClassObject(clsid, IID_IClassFactory, factory.put_void()), S_OK);
        return factory;
    }

    ClassTable table_{kRows};
};

// GetClassObject: one shared class object per class, which holds one module lock while a
// client holds it; an unknown class, a missing out pointer or interface are refused.
TEST_F(ClassTableTest, GivesOneClassObjectPerClassHoldingOneModuleLock) {
    void* out = test::kOutSentinel;
    EXPECT_EQ(table_.GetClassObject(kUnknownClsid, IID_IClassFactory, &out),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(table_.GetClassObject(kCountingClsid, IID_IClassFactory, nullptr), E_POINTER);
    out = test::kOutSentinel;
    EXPECT_EQ(table_.GetClassObject(kCountingClsid, IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    {
        ComPtr<IClassFactory> first = ClassObject();
        ComPtr<IClassFactory> second = ClassObject();
        ASSERT_TRUE(first);
        EXPECT_EQ(first.get(), second.get());
        EXPECT_EQ(Module().LockCount(), 1) << "the lock is taken once per class object";
        EXPECT_EQ(first->LockServer(TRUE), S_OK);
        EXPECT_EQ(Module().LockCount(), 2);
        EXPECT_EQ(first->LockServer(FALSE), S_OK);
        EXPECT_EQ(Module().LockCount(), 1);
    }
    EXPECT_EQ(Module().LockCount(), 0) << "the table's own reference keeps no lock";
    ComPtr<IClassFactory> again = ClassObject();
    EXPECT_EQ(Module().LockCount(), 1);
}

// CreateInstance: a living provider object keeps the module locked; aggregation, a missing
// out pointer, an interface the object lacks and a failed allocation create nothing.
TEST_F(ClassTableTest, CreatesProviderObjectsThatHoldTheModule) {
    ComPtr<IUnknown> object;
    {
        ComPtr<IClassFactory> factory = ClassObject();
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.put_void()), S_OK);
        EXPECT_EQ(Module().LockCount(), 2);
        void* out = test::kOutSentinel;
        EXPECT_EQ(factory->CreateInstance(object.get(), IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
        EXPECT_EQ(CountingObject::living, 1) << "the refused ones were destroyed";
        EXPECT_EQ(Module().LockCount(), 2);
    }
    EXPECT_EQ(Module().LockCount(), 1);
    object.reset();
    EXPECT_EQ(CountingObject::living, 0);
    EXPECT_EQ(Module().LockCount(), 0);

    ComPtr<IClassFactory> unallocatable = ClassObject(kRows[1].clsid);
    ASSERT_TRUE(unallocatable);
    void* out = test::kOutSentinel;
    EXPECT_EQ(unallocatable->CreateInstance(nullptr, IID_IUnknown, &out), E_OUTOFMEMORY);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(Module().LockCount(), 1);
}

TEST_F(ClassTableTest, ConcurrentFirstRequestsShareOneClassObject) {
    constexpr int kThreads = 8;
    std::vector<void*> seen(kThreads, nullptr);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            ++ready;
            while (ready < kThreads) std::this_thread::yield();
            ComPtr<IClassFactory> factory;
            if (table_.GetClassObject(kCountingClsid, IID_IClassFactory, factory.put_void()) ==
                S_OK) {
                seen[static_cast<std::size_t>(i)] = factory.get();
            }
        });
    }
    for (std::thread& t : threads) t.join();
    ASSERT_NE(seen[0], nullptr);
    for (void* p : seen) EXPECT_EQ(p, seen[0]);
}

}  // namespace
}  // namespace norv::win
