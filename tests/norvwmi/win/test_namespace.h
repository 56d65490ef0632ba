// The namespace "root\test" the COM tests are served from: the classes and instances of
// tests/data/norvwmi/test_namespace.mof.
#pragma once

#include <wbemcli.h>

#include <memory>

#include "com/class_object.h"
#include "repository/served_namespaces.h"

namespace norvwmi::testing {

inline constexpr const wchar_t* kTestNamespace = L"root\\test";

std::shared_ptr<ServedNamespaces> MakeTestNamespace();

// A class object of root\test and a new instance of it (both as WMI hands them out).
norv::win::ComPtr<IWbemClassObject> TestClass(const char* className);
norv::win::ComPtr<IWbemClassObject> NewTestInstance(const char* className);

}  // namespace norvwmi::testing
