// Every reference the host hands out can be released: after a session through the
// locator, queries, lookups and object operations, no object of the host is left.
#include <gtest/gtest.h>

#include "com/admin_locator.h"
#include "com/class_object.h"
#include "com/recording_sink.h"
#include "com/wbem_status.h"
#include "test_namespace.h"
#include "test_variant.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;
using norv::win::UniqueBstr;

TEST(ReferenceCounts, ReturnToZeroAfterAFullSession) {
    const long before = LiveComObjects();
    {
        FactoryRegistration registration;
        ASSERT_EQ(RegisterAdminLocator(testing::MakeTestNamespace(), registration), S_OK);
        ComPtr<IWbemLocator> locator;
        ASSERT_EQ(::CoCreateInstance(kAdministrativeLocatorClsid, nullptr, CLSCTX_INPROC_SERVER,
                                     __uuidof(IWbemLocator), locator.put_void()),
                  S_OK);
        ComPtr<IWbemServices> services;
        UniqueBstr nameSpace(::SysAllocString(L"root\\test"));
        ASSERT_EQ(locator->ConnectServer(nameSpace.get(), nullptr, nullptr, nullptr, 0, nullptr,
                                         nullptr, services.put()),
                  WBEM_S_NO_ERROR);

        UniqueBstr language(::SysAllocString(L"WQL"));
        UniqueBstr query(::SysAllocString(L"SELECT * FROM Numbered"));
        for (LONG flags :
             {0L, static_cast<LONG>(WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY)}) {
            ComPtr<IEnumWbemClassObject> results;
            ASSERT_EQ(
                services->ExecQuery(language.get(), query.get(), flags, nullptr, results.put()),
                WBEM_S_NO_ERROR);
            IWbemClassObject* batch[10] = {};
            ULONG returned = 0;
            ASSERT_EQ(results->Next(1000, 10, batch, &returned), WBEM_S_NO_ERROR);
            auto sink = RecordingSink::Create();
            ASSERT_EQ(sink->Indicate(static_cast<LONG>(returned), batch), WBEM_S_NO_ERROR);
            for (ULONG i = 0; i < returned; ++i) batch[i]->Release();
            // The rest stays with the enumerator, which lets go of it when released.
        }

        ComPtr<IWbemClassObject> logClass;
        UniqueBstr path(::SysAllocString(L"RecordLog"));
        ASSERT_EQ(services->GetObject(path.get(), 0, nullptr, logClass.put(), nullptr),
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
    }
    EXPECT_EQ(LiveComObjects(), before);
}

}  // namespace
}  // namespace norvwmi
