// The administrative locator registered in this process: CoCreateInstance reaches it as
// the provider creates it, and ConnectServer hands out the served namespaces.
#include <gtest/gtest.h>

#include "com/admin_locator.h"
#include "com/wbem_services.h"
#include "com/wbem_status.h"
#include "test_namespace.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;
using norv::win::UniqueBstr;

HRESULT Connect(IWbemLocator* locator, const wchar_t* nameSpace, ComPtr<IWbemServices>& services) {
    UniqueBstr resource(::SysAllocString(nameSpace));
    return locator->ConnectServer(resource.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                  services.put());
}

TEST(AdminLocator, CoCreateInstanceInTheProcessReachesTheRegisteredLocator) {
    FactoryRegistration registration;
    ASSERT_EQ(RegisterAdminLocator(testing::MakeTestNamespace(), registration), S_OK);
    ComPtr<IWbemLocator> locator;
    ASSERT_EQ(::CoCreateInstance(kAdministrativeLocatorClsid, nullptr, CLSCTX_INPROC_SERVER,
                                 __uuidof(IWbemLocator), locator.put_void()),
              S_OK);
    for (const wchar_t* form :
         {L"root\\test", L"ROOT\\Test", L"\\\\.\\root\\test", L"//./root/test",
          L"\\\\localhost\\root\\test", L"\\\\TESTHOST\\root\\test"}) {
        ComPtr<IWbemServices> services;
        EXPECT_EQ(Connect(locator.get(), form, services), WBEM_S_NO_ERROR)
            << std::string(form, form + wcslen(form));
        ASSERT_TRUE(services);
        ComPtr<IWbemClassObject> numbered;
        UniqueBstr path(::SysAllocString(L"Numbered.Index=1"));
        EXPECT_EQ(services->GetObject(path.get(), 0, nullptr, numbered.put(), nullptr),
                  WBEM_S_NO_ERROR);
    }
    for (const wchar_t* unknown : {L"root\\wmi", L"\\\\otherhost\\root\\test", L"", L"root"}) {
        ComPtr<IWbemServices> services;
        EXPECT_EQ(Connect(locator.get(), unknown, services), Wbem(WBEM_E_INVALID_NAMESPACE));
        EXPECT_FALSE(services);
    }
    EXPECT_EQ(
        locator->ConnectServer(nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr),
        Wbem(WBEM_E_INVALID_PARAMETER));
}

}  // namespace
}  // namespace norvwmi
