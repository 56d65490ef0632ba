// The fill operations of the five classes with instance data: that data without optional
// properties puts fewer, and that the first refused put ends the one engine's fill with
// WBEM_E_FAILED. (Which properties, their values and VARIANT types are in the golden outputs:
// a put the shipped class does not take fails the enumeration there; below, the ones they miss.)
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "inventory/vocabulary.h"
#include "sensors/sensor_fills.h"
#include "support/recording_instance.h"
#include "system/admin_domain_provider.h"
#include "system/computer_system_provider.h"
#include "system/sensor_collection_provider.h"

namespace norv::win {
namespace {

using test::RecordingInstance;

// Numeric-sensor data with every optional property marked (which ones a record marks is the
// core builder's).
NumericSensorInstanceData FullNumericEntry() {
    NumericSensorInstanceData entry;
    entry.fieldMask = 0x7FFFFF;
    return entry;
}

using Fill = std::function<HRESULT(const WbemObject&)>;

template <typename Data>
Fill Filling(HRESULT (*fill)(const Data&, const WbemObject&), Data data) {
    return [fill, data](const WbemObject& o) { return fill(data, o); };
}

struct FillCase {
    const char* label;
    Fill fill;
    std::size_t count;  // the puts; fewer where the data leaves optional properties out
};

std::vector<FillCase> FillCases() {
    SensorInstanceData tachometer;  // no other description; its empty state list is still put
    tachometer.SetSensorType(5);
    tachometer.SetPossibleStates({});
    // A class's whole property set is in the golden outputs; here data that leave some out.
    return {
        {"ComputerSystemWithoutOptionalProperties",
         Filling(&ComputerSystemClass::Fill<ComputerSystemData>, ComputerSystemData{}), 5},
        {"AdminDomainWithoutOptionalProperties",
         Filling(&AdminDomainClass::Fill<AdminDomainData>, AdminDomainData{}), 5},
        {"SystemSpecificCollection",
         Filling(&SensorCollectionClass::Fill<SensorCollectionData>,
                 MakeSensorCollectionData(TheManagementController())),
         4},
        {"SensorWithoutOptionalProperties", Filling(&FillSensorInstance, SensorInstanceData{}), 8},
        {"TachometerSensor", Filling(&FillSensorInstance, tachometer), 10},
        {"NumericSensorFull", Filling(&FillNumericSensorInstance, FullNumericEntry()), 31},
    };
}

class InstanceFill : public ::testing::TestWithParam<FillCase> {};

TEST_P(InstanceFill, PutsItsPropertiesAndKeepsNoReference) {
    RecordingInstance instance;
    EXPECT_EQ(GetParam().fill(WbemObject(&instance)), WBEM_S_NO_ERROR);
    EXPECT_EQ(instance.puts.size(), GetParam().count);
    EXPECT_EQ(instance.references, 1u);
}

INSTANTIATE_TEST_SUITE_P(Classes, InstanceFill, ::testing::ValuesIn(FillCases()),
                         [](const auto& test) { return std::string(test.param.label); });

// The lower thresholds, which no golden output shows: put by name, and like every number from
// BaseUnits on as a signed VT_I4 (IsLinear is the one boolean). A refused put ends the fill.
TEST(FillNumericSensorInstance, PutsEveryNumberAsVtI4AndIsLinearAsABoolean) {
    RecordingInstance full;
    ASSERT_EQ(FillNumericSensorInstance(FullNumericEntry(), WbemObject(&full)),
              WBEM_S_NO_ERROR);
    ASSERT_EQ(full.puts.size(), 31u);
    EXPECT_EQ(full.puts[12].name, L"BaseUnits");
    std::vector<std::wstring> lower;
    for (std::size_t i = 12; i < full.puts.size(); ++i) {
        const bool isLinear = full.puts[i].name == L"IsLinear";
        EXPECT_EQ(V_VT(&full.puts[i].value), isLinear ? VARTYPE{VT_BOOL} : VARTYPE{VT_I4}) << i;
        if (full.puts[i].name.starts_with(L"LowerThreshold")) lower.push_back(full.puts[i].name);
    }
    EXPECT_EQ(lower,
              (std::vector<std::wstring>{L"LowerThresholdNonCritical", L"LowerThresholdCritical",
                                         L"LowerThresholdFatal"}));
    for (std::size_t refused = 0; refused < full.puts.size(); ++refused) {
        RecordingInstance refusing;
        refusing.refusedPut = refused;
        EXPECT_EQ(FillNumericSensorInstance(FullNumericEntry(), WbemObject(&refusing)),
                  static_cast<HRESULT>(WBEM_E_FAILED));
        EXPECT_EQ(refusing.puts.size(), refused + 1) << "nothing is put after put " << refused;
    }
}

}  // namespace
}  // namespace norv::win
