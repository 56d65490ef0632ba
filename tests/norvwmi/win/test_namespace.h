// The namespace "root\test" the COM tests are served from (tests/data/norvwmi/test_namespace.mof):
//   Sample     one property of each CIM type (key Name), arrays, defaults U16 = 7, Text = "dflt"
//   Base       key Id (uint32), Caption; Derived : Base adds Extra (uint16)
//   Pair       two keys, Left (string) and Right (sint32)
//   Numbered   25 instances, Index 0..24 and Label "n<Index>"
//   RecordLog  key InstanceID; methods ClearLog() and Rename([in] NewName, [out] OldName)
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
