#include "test_namespace.h"

#include <string>

#include "support/test_files.h"

namespace norvwmi::testing {

std::shared_ptr<ServedNamespaces> MakeTestNamespace() {
    return std::make_shared<ServedNamespaces>(TestMofSource("test_namespace.mof"), "TESTHOST");
}

norv::win::ComPtr<IWbemClassObject> TestClass(const char* className) {
    const auto served = MakeTestNamespace();
    auto lineage = served->Lineage("root\\test", className);
    auto object = ClassObject::Create(CimObject::MakeClass(
        std::move(*lineage), ObjectSource{served->ServerName(), "root\\test"}));
    return norv::win::ComPtr<IWbemClassObject>(object.get());
}

norv::win::ComPtr<IWbemClassObject> NewTestInstance(const char* className) {
    norv::win::ComPtr<IWbemClassObject> instance;
    TestClass(className)->SpawnInstance(0, instance.put());
    return instance;
}

}  // namespace norvwmi::testing
