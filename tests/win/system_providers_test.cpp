// The controller, domain and collection providers of the built module: each serves one
// instance (its texts are in the golden outputs), found by its path in any letter case of
// class and key names and by nothing else, and the controller's firmware version is read from
// the health driver on every request.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inventory/controller_record.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

struct ServedClassCase {
    const char* label;
    ProviderClass providerClass;
    std::vector<std::wstring> paths;         // of the one instance
    std::vector<std::wstring> unknownPaths;  // of the class, naming no instance
};

void PrintTo(const ServedClassCase& c, std::ostream* out) {
    *out << c.label;
}

std::vector<ServedClassCase> ServedClassCases() {
    const std::wstring controller = Wide(TheManagementController().name);
    const std::wstring id = Wide(TheManagementController().instanceId);
    const std::wstring domain = L"Management Access Point (MAP) Addressing Root";
    const std::wstring system = L"ComputerSystem.CreationClassName=\"ComputerSystem\",Name=";
    const std::wstring admin = L"AdminDomain.CreationClassName=\"AdminDomain\",Name=";
    return {
        {"ComputerSystem",
         ProviderClass::ComputerSystem,
         {system + L"\"" + controller + L"\"",
          L"computersystem.NAME=\"" + controller + L"\",creationClassName=\"ComputerSystem\"",
          L"\\\\.\\root\\cimv2\\ipmi:" + system + L"\"" + controller + L"\""},
         {system + L"\"ipmi controller 0\"", system + L"\"IPMI Controller 1\"", system + L"0",
          L"ComputerSystem.CreationClassName=\"computersystem\",Name=\"" + controller + L"\"",
          L"ComputerSystem.Name=\"" + controller + L"\""}},
        {"AdminDomain",
         ProviderClass::AdminDomain,
         {admin + L"\"" + domain + L"\"",
          L"ADMINDOMAIN.creationclassname=\"AdminDomain\",name=\"" + domain + L"\""},
         {L"AdminDomain.CreationClassName=\"admindomain\",Name=\"" + domain + L"\"",
          admin + L"\"MAP Addressing Root\"", L"AdminDomain.CreationClassName=\"AdminDomain\""}},
        {"SystemSpecificCollection",
         ProviderClass::SystemSpecificCollection,
         {L"SystemSpecificCollection.InstanceID=\"" + id + L"\"",
          L"systemspecificcollection.INSTANCEID=\"" + id + L"\""},
         {L"SystemSpecificCollection.InstanceID=\"" + id + L"1\"",
          L"SystemSpecificCollection.InstanceID=\"\"",
          L"SystemSpecificCollection.Other=\"" + id + L"\"",
          L"SystemSpecificCollection=\"" + id + L"\""}},
    };
}

class ServedClassTest : public StandInSuite<::testing::TestWithParam<ServedClassCase>> {};

TEST_P(ServedClassTest, TheOneInstanceIsFoundByItsPathsOnly) {
    wmi_->Serve(DefaultPlatformNamespaces());
    const auto provider = wmi_->InitializedProvider(GetParam().providerClass);
    const auto enumerated = Enumerated(provider.get());
    ASSERT_EQ(enumerated.size(), 1u);
    std::vector<std::wstring> paths = GetParam().paths;
    paths.push_back(StringOf(enumerated.front().get(), L"__RELPATH"));
    for (const std::wstring& path : paths) {
        const auto found = Found(provider.get(), path);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->CompareTo(0, enumerated.front().get()), WBEM_S_SAME);
    }
    for (const std::wstring& path : GetParam().unknownPaths) ExpectNotFound(provider.get(), path);
}

INSTANTIATE_TEST_SUITE_P(Classes, ServedClassTest, ::testing::ValuesIn(ServedClassCases()),
                         [](const auto& test) { return std::string(test.param.label); });

class ControllerFirmwareTest : public StandInSuite<> {};

TEST_F(ControllerFirmwareTest, TheVersionIsReadAgainForEveryRequest) {
    wmi_->Serve(DefaultPlatformNamespaces());
    const auto provider = wmi_->InitializedProvider(ProviderClass::ComputerSystem);
    const auto description = [&] { return StringsOf(Enumerated(provider.get()), L"Description"); };
    EXPECT_EQ(description(), std::vector<std::wstring>{L"BMC 0 - IPMI v1.5 - fw v8.15"});
    const std::string_view withoutDriver[] = {kShippedClasses};
    wmi_->Serve(LoadNamespaces(withoutDriver));
    EXPECT_EQ(description(), std::vector<std::wstring>{L"BMC 0 - IPMI v1.5 - fw v1.00"});
    wmi_->Serve(DefaultPlatformNamespaces());
    EXPECT_EQ(description(), std::vector<std::wstring>{L"BMC 0 - IPMI v1.5 - fw v8.15"});
}

}  // namespace
}  // namespace norv::test
