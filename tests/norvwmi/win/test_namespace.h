// The namespace "root\test" the COM tests are served from: the classes and instances of
// tests/data/norvwmi/test_namespace.mof.
#pragma once

#include <wbemcli.h>

#include <memory>

#include "com/class_object.h"
#include "repository/served_namespaces.h"
#include "support/test_files.h"

namespace norvwmi::testing {

inline constexpr const wchar_t* kTestNamespace = L"root\\test";

inline std::shared_ptr<ServedNamespaces> MakeTestNamespace() {
    return std::make_shared<ServedNamespaces>(TestMofSource("test_namespace.mof"), "TESTHOST");
}

// A class object of root\test and a new instance of it (both as WMI hands them out).
inline norv::win::ComPtr<IWbemClassObject> TestClass(const char* className) {
    const auto served = MakeTestNamespace();
    auto lineage = served->Lineage("root\\test", className);
    auto object = ClassObject::Create(CimObject::MakeClass(
        std::move(*lineage), ObjectSource{served->ServerName(), "root\\test"}));
    return norv::win::ComPtr<IWbemClassObject>(object.get());
}

inline norv::win::ComPtr<IWbemClassObject> NewTestInstance(const char* className) {
    norv::win::ComPtr<IWbemClassObject> instance;
    TestClass(className)->SpawnInstance(0, instance.put());
    return instance;
}

}  // namespace norvwmi::testing
