// The fill operations of the controller, domain and collection classes: which properties
// they put, in which order and as which VARIANT type, and that the first refused put ends
// the fill with WBEM_E_FAILED.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/recording_instance.h"
#include "system/admin_domain_provider.h"
#include "system/computer_system_provider.h"
#include "system/sensor_collection_provider.h"

namespace norv::win {
namespace {

using test::RecordingInstance;

constexpr HRESULT kFailed = static_cast<HRESULT>(WBEM_E_FAILED);
constexpr VARTYPE kText = VT_BSTR;
constexpr VARTYPE kTexts = VT_ARRAY | VT_BSTR;
constexpr VARTYPE kNumbers = VT_ARRAY | VT_I4;

struct FillCase {
    const char* label;
    std::function<HRESULT(const WbemObject&)> fill;
    std::vector<std::wstring> puts;
    std::vector<VARTYPE> types;
};

std::vector<FillCase> FillCases() {
    const ComputerSystemData controller = MakeComputerSystemData(TheManagementController(), {});
    const AdminDomainData domain = MakeAdminDomainData();
    const SensorCollectionData collection = MakeSensorCollectionData(TheManagementController());
    return {
        {"ComputerSystem",
         [controller](const WbemObject& o) { return FillComputerSystemInstance(controller, o); },
         {L"CreationClassName", L"Name", L"Caption", L"ElementName", L"Description", L"NameFormat",
          L"Roles", L"IdentifyingDescriptions", L"OtherIdentifyingInfo", L"Dedicated"},
         {kText, kText, kText, kText, kText, kText, kTexts, kTexts, kTexts, kNumbers}},
        {"ComputerSystemWithoutOptionalProperties",
         [](const WbemObject& o) { return FillComputerSystemInstance(ComputerSystemData{}, o); },
         {L"CreationClassName", L"Name", L"Caption", L"ElementName", L"Description"},
         {kText, kText, kText, kText, kText}},
        {"AdminDomain",
         [domain](const WbemObject& o) { return FillAdminDomainInstance(domain, o); },
         // Roles before NameFormat.
         {L"CreationClassName", L"Name", L"Caption", L"ElementName", L"Description", L"Roles",
          L"NameFormat"},
         {kText, kText, kText, kText, kText, kTexts, kText}},
        {"AdminDomainWithoutOptionalProperties",
         [](const WbemObject& o) { return FillAdminDomainInstance(AdminDomainData{}, o); },
         {L"CreationClassName", L"Name", L"Caption", L"ElementName", L"Description"},
         {kText, kText, kText, kText, kText}},
        {"SystemSpecificCollection",
         [collection](const WbemObject& o) { return FillSensorCollectionInstance(collection, o); },
         // The class has no CreationClassName.
         {L"InstanceID", L"Caption", L"ElementName", L"Description"},
         {kText, kText, kText, kText}},
    };
}

class InstanceFill : public ::testing::TestWithParam<FillCase> {};

TEST_P(InstanceFill, PutsEveryPropertyInItsOrder) {
    RecordingInstance instance;
    EXPECT_EQ(GetParam().fill(WbemObject(&instance)), WBEM_S_NO_ERROR);
    EXPECT_EQ(instance.PutNames(), GetParam().puts);
    EXPECT_EQ(instance.PutTypes(), GetParam().types);
    EXPECT_EQ(instance.references, 1u) << "the fill keeps no reference";
}

TEST_P(InstanceFill, TheFirstRefusedPutEndsTheFill) {
    const std::size_t count = GetParam().puts.size();
    for (std::size_t refused = 0; refused < count; ++refused) {
        RecordingInstance instance;
        instance.refusedPut = refused;
        EXPECT_EQ(GetParam().fill(WbemObject(&instance)), kFailed) << "put " << refused;
        EXPECT_EQ(instance.puts.size(), refused + 1) << "nothing is put after the refused one";
    }
}

INSTANTIATE_TEST_SUITE_P(Classes, InstanceFill, ::testing::ValuesIn(FillCases()),
                         [](const auto& test) { return std::string(test.param.label); });

}  // namespace
}  // namespace norv::win
