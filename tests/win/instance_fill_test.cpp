// The fill operations of the five classes with instance data: which properties they put, in
// which order and as which VARIANT type, which ones only when marked, and that the first
// refused put ends the fill with WBEM_E_FAILED. (The values are in the golden outputs.)
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sensors/numeric_sensor_instance_fill.h"
#include "sensors/sensor_instance_fill.h"
#include "support/recording_instance.h"
#include "support/sensor_records.h"
#include "system/admin_domain_provider.h"
#include "system/computer_system_provider.h"
#include "system/sensor_collection_provider.h"

namespace norv::win {
namespace {

using test::RecordingInstance;

constexpr VARTYPE kText = VT_BSTR;
constexpr VARTYPE kTexts = VT_ARRAY | VT_BSTR;

// A power supply redundancy record, which has a sensor type description.
SensorInstanceData SensorEntry() {
    SensorRecord record;
    record.SetPresent(1);
    record.SetName(SensorKind::PowerGroup, 1, kNoNumber, kNoNumber);
    record.SetSensorNumber(9);
    record.SetSensorType(kSensorTypePowerSupply);
    record.SetEventReadingType(0x0B);
    record.SetEntityId(0x0A);
    record.SetCurrentState(0);
    SensorInventory inventory;
    inventory.Append(record);
    SensorInstanceList list;
    BuildSensorList(list, inventory);
    return list.Count() == 1 ? list.At(0) : SensorInstanceData{};
}

// A temperature with one threshold; every field marked when fieldMask says so.
NumericSensorInstanceData NumericEntry(std::uint32_t fieldMask = 0) {
    SensorInventory inventory;
    inventory.Append(test::TemperatureRecord(40));
    NumericSensorInstanceList list;
    BuildNumericSensorList(list, inventory);
    NumericSensorInstanceData entry = list.Count() == 1 ? list.At(0) : NumericSensorInstanceData{};
    if (fieldMask != 0) entry.fieldMask = fieldMask;
    return entry;
}

using Puts = std::vector<std::pair<std::wstring, VARTYPE>>;

Puts With(Puts puts, const Puts& more) {
    puts.insert(puts.end(), more.begin(), more.end());
    return puts;
}

// The properties of every class with a CreationClassName, and of both sensor classes.
const Puts kCorePuts = {{L"CreationClassName", kText},
                        {L"Name", kText},
                        {L"Caption", kText},
                        {L"ElementName", kText},
                        {L"Description", kText}};
const Puts kSensorPuts = With(
    kCorePuts, {{L"DeviceID", kText}, {L"SystemCreationClassName", kText}, {L"SystemName", kText}});

using Fill = std::function<HRESULT(const WbemObject&)>;

template <typename Data>
Fill Filling(HRESULT (*fill)(const Data&, const WbemObject&), Data data) {
    return [fill, data](const WbemObject& o) { return fill(data, o); };
}

struct FillCase {
    const char* label;
    Fill fill;
    Puts puts;  // empty: only the count (the numeric sensor's spot checks are below)
    std::size_t count;
};

void PrintTo(const FillCase& c, std::ostream* out) {
    *out << c.label;
}

std::vector<FillCase> FillCases() {
    SensorInstanceData tachometer;  // no other description; its empty state list is still put
    tachometer.SetSensorType(5);
    tachometer.SetPossibleStates({});
    return {
        {"ComputerSystem",
         Filling(&FillComputerSystemInstance,
                 MakeComputerSystemData(TheManagementController(), {})),
         With(kCorePuts, {{L"NameFormat", kText},
                          {L"Roles", kTexts},
                          {L"IdentifyingDescriptions", kTexts},
                          {L"OtherIdentifyingInfo", kTexts},
                          {L"Dedicated", VT_ARRAY | VT_I4}}),
         10},
        {"ComputerSystemWithoutOptionalProperties",
         Filling(&FillComputerSystemInstance, ComputerSystemData{}), kCorePuts, 5},
        // Roles before NameFormat.
        {"AdminDomain", Filling(&FillAdminDomainInstance, MakeAdminDomainData()),
         With(kCorePuts, {{L"Roles", kTexts}, {L"NameFormat", kText}}), 7},
        {"AdminDomainWithoutOptionalProperties",
         Filling(&FillAdminDomainInstance, AdminDomainData{}), kCorePuts, 5},
        // The class has no CreationClassName.
        {"SystemSpecificCollection",
         Filling(&FillSensorCollectionInstance,
                 MakeSensorCollectionData(TheManagementController())),
         {{L"InstanceID", kText},
          {L"Caption", kText},
          {L"ElementName", kText},
          {L"Description", kText}},
         4},
        {"Sensor", Filling(&FillSensorInstance, SensorEntry()),
         With(kSensorPuts, {{L"SensorType", VT_I4},
                            {L"OtherSensorTypeDescription", kText},
                            {L"PossibleStates", kTexts},
                            {L"CurrentState", kText}}),
         12},
        {"SensorWithoutOptionalProperties", Filling(&FillSensorInstance, SensorInstanceData{}),
         kSensorPuts, 8},
        {"TachometerSensor", Filling(&FillSensorInstance, tachometer),
         With(kSensorPuts, {{L"SensorType", VT_I4}, {L"PossibleStates", kTexts}}), 10},
        {"NumericSensorFull", Filling(&FillNumericSensorInstance, NumericEntry(0x7FFFFF)), {}, 31},
        {"NumericSensorTemperature", Filling(&FillNumericSensorInstance, NumericEntry()), {}, 25},
    };
}

class InstanceFill : public ::testing::TestWithParam<FillCase> {};

TEST_P(InstanceFill, PutsEveryPropertyInItsOrderAndTheFirstRefusalEndsTheFill) {
    RecordingInstance instance;
    EXPECT_EQ(GetParam().fill(WbemObject(&instance)), WBEM_S_NO_ERROR);
    Puts puts;
    for (const auto& put : instance.puts) puts.emplace_back(put.name, V_VT(&put.value));
    EXPECT_EQ(puts.size(), GetParam().count);
    if (!GetParam().puts.empty()) {
        EXPECT_EQ(puts, GetParam().puts);
    }
    EXPECT_EQ(instance.references, 1u) << "the fill keeps no reference";
    for (std::size_t refused = 0; refused < GetParam().count; ++refused) {
        RecordingInstance refusing;
        refusing.refusedPut = refused;
        EXPECT_EQ(GetParam().fill(WbemObject(&refusing)), static_cast<HRESULT>(WBEM_E_FAILED));
        EXPECT_EQ(refusing.puts.size(), refused + 1) << "nothing is put after put " << refused;
    }
}

INSTANTIATE_TEST_SUITE_P(Classes, InstanceFill, ::testing::ValuesIn(FillCases()),
                         [](const auto& test) { return std::string(test.param.label); });

// The numeric sensor's 31 puts, spot checks: the numbers are signed, IsLinear a boolean, the
// thresholds not marked are not put.
TEST(FillNumericSensorInstance, PutsTheNumbersSignedAndIsLinearAsABoolean) {
    RecordingInstance full;
    ASSERT_EQ(FillNumericSensorInstance(NumericEntry(0x7FFFFF), WbemObject(&full)),
              WBEM_S_NO_ERROR);
    ASSERT_EQ(full.puts.size(), 31u);
    EXPECT_EQ(full.puts[12].name, L"BaseUnits");
    EXPECT_EQ(full.puts[18].name, L"IsLinear");
    EXPECT_EQ(full.puts.back().name, L"MaxReadable");
    for (std::size_t i = 12; i < full.puts.size(); ++i) {
        EXPECT_EQ(V_VT(&full.puts[i].value), i == 18 ? VARTYPE{VT_BOOL} : VARTYPE{VT_I4}) << i;
    }
    RecordingInstance temperature;
    ASSERT_EQ(FillNumericSensorInstance(NumericEntry(), WbemObject(&temperature)), WBEM_S_NO_ERROR);
    EXPECT_STREQ(V_BSTR(temperature.Value(L"CreationClassName")), L"NumericSensor");
    for (const auto& [name, value] : {std::pair{L"UnitModifier", -1},
                                      {L"CurrentReading", 450},
                                      {L"UpperThresholdCritical", 800},
                                      {L"MaxReadable", 1270}}) {
        EXPECT_EQ(V_I4(temperature.Value(name)), value) << name;
    }
    EXPECT_EQ(V_BOOL(temperature.Value(L"IsLinear")), VARIANT_TRUE);
    for (const wchar_t* absent :
         {L"LowerThresholdNonCritical", L"UpperThresholdFatal", L"OtherSensorTypeDescription"}) {
        EXPECT_EQ(temperature.Value(absent), nullptr) << absent;
    }
}

}  // namespace
}  // namespace norv::win
