// The fill operations of the two sensor classes: which properties they put, in which order,
// as which VARIANT type and value, which ones only when marked, and that the first refused
// put ends the fill with WBEM_E_FAILED.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sensors/numeric_sensor_instance_fill.h"
#include "sensors/sensor_instance_fill.h"
#include "support/recording_instance.h"

namespace norv::win {
namespace {

using test::RecordingInstance;

constexpr HRESULT kFailed = static_cast<HRESULT>(WBEM_E_FAILED);
constexpr VARTYPE kText = VT_BSTR;
constexpr VARTYPE kTexts = VT_ARRAY | VT_BSTR;
constexpr VARTYPE kInteger = VT_I4;

SensorRecord PowerSupplyRedundancyRecord() {
    SensorRecord record;
    record.SetPresent(1);
    record.SetName(SensorKind::PowerGroup, 1, kNoNumber, kNoNumber);
    record.SetSensorNumber(9);
    record.SetSensorType(kSensorTypePowerSupply);
    record.SetEventReadingType(0x0B);
    record.SetEntityId(0x0A);
    record.SetCurrentState(0);
    return record;
}

SensorRecord TemperatureRecord() {
    SensorRecord record;
    record.SetPresent(1);
    record.SetName(SensorKind::Temperature, 3, kNoNumber, kNoNumber);
    record.SetSensorNumber(40);
    record.SetSensorType(kSensorTypeTemperature);
    record.SetEventReadingType(kReadingThreshold);
    record.SetEntityId(0x07);
    record.SetCurrentState(kStateOk);
    record.SetCurrentReading(450);
    record.SetUnitModifier(-1);
    record.SetBaseUnits(2);
    record.SetRateUnits(0);
    record.SetUpperCritical(800);
    record.SetNominalReading(500);
    record.SetNormalMin(60);
    record.SetNormalMax(1000);
    record.SetMinReadable(0);
    record.SetMaxReadable(1270);
    return record;
}

SensorInstanceData SensorEntry(const SensorRecord& record) {
    SensorInventory inventory;
    inventory.Append(record);
    SensorInstanceList list;
    BuildSensorList(list, inventory);
    return list.Count() == 1 ? list.At(0) : SensorInstanceData{};
}

NumericSensorInstanceData NumericEntry(const SensorRecord& record) {
    SensorInventory inventory;
    inventory.Append(record);
    NumericSensorInstanceList list;
    BuildNumericSensorList(list, inventory);
    return list.Count() == 1 ? list.At(0) : NumericSensorInstanceData{};
}

const std::vector<std::wstring> kAlwaysPut = {L"CreationClassName",
                                              L"Name",
                                              L"Caption",
                                              L"ElementName",
                                              L"Description",
                                              L"DeviceID",
                                              L"SystemCreationClassName",
                                              L"SystemName"};

TEST(FillSensorInstance, PutsTheTwelvePropertiesInOrderWithTheirTypes) {
    RecordingInstance instance;
    EXPECT_EQ(FillSensorInstance(SensorEntry(PowerSupplyRedundancyRecord()), WbemObject(&instance)),
              WBEM_S_NO_ERROR);
    std::vector<std::wstring> expected = kAlwaysPut;
    expected.insert(expected.end(), {L"SensorType", L"OtherSensorTypeDescription",
                                     L"PossibleStates", L"CurrentState"});
    EXPECT_EQ(instance.PutNames(), expected);
    const std::vector<VARTYPE> types = {kText, kText, kText,    kText, kText,  kText,
                                        kText, kText, kInteger, kText, kTexts, kText};
    EXPECT_EQ(instance.PutTypes(), types);
    EXPECT_EQ(instance.references, 1u) << "the fill keeps no reference";
}

TEST(FillSensorInstance, PutsTheClassNameAndTheEntrysValues) {
    RecordingInstance instance;
    ASSERT_EQ(FillSensorInstance(SensorEntry(PowerSupplyRedundancyRecord()), WbemObject(&instance)),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(instance.Text(L"CreationClassName"), L"Sensor");
    EXPECT_EQ(instance.Text(L"Caption"), L"Power Supply(9.0.0)");
    EXPECT_EQ(instance.Text(L"DeviceID"), L"9.0.0");
    EXPECT_EQ(instance.Text(L"SystemName"), L"IPMI Controller 0");
    EXPECT_EQ(instance.Integer(L"SensorType"), 1);
    EXPECT_EQ(instance.Text(L"OtherSensorTypeDescription"), L"Power Supply");
}

TEST(FillSensorInstance, PutsOnlyTheMarkedOptionalProperties) {
    RecordingInstance bare;
    EXPECT_EQ(FillSensorInstance(SensorInstanceData{}, WbemObject(&bare)), WBEM_S_NO_ERROR);
    EXPECT_EQ(bare.PutNames(), kAlwaysPut);

    // A tachometer has no other description; its empty state list is still put.
    SensorInstanceData entry;
    entry.SetSensorType(5);
    entry.SetPossibleStates({});
    RecordingInstance instance;
    EXPECT_EQ(FillSensorInstance(entry, WbemObject(&instance)), WBEM_S_NO_ERROR);
    std::vector<std::wstring> expected = kAlwaysPut;
    expected.insert(expected.end(), {L"SensorType", L"PossibleStates"});
    EXPECT_EQ(instance.PutNames(), expected);
    EXPECT_EQ(instance.PutTypes().back(), kTexts);
}

// Every bit set: all 31 puts.
NumericSensorInstanceData FullNumericEntry() {
    NumericSensorInstanceData entry = NumericEntry(TemperatureRecord());
    entry.fieldMask = 0x7FFFFF;
    return entry;
}

std::vector<std::wstring> NumericOrder() {
    std::vector<std::wstring> order = kAlwaysPut;
    order.insert(order.end(), {L"SensorType",
                               L"OtherSensorTypeDescription",
                               L"PossibleStates",
                               L"CurrentState",
                               L"BaseUnits",
                               L"UnitModifier",
                               L"RateUnits",
                               L"CurrentReading",
                               L"Resolution",
                               L"Accuracy",
                               L"IsLinear",
                               L"Hysteresis",
                               L"NormalMin",
                               L"NormalMax",
                               L"NominalReading",
                               L"LowerThresholdNonCritical",
                               L"UpperThresholdNonCritical",
                               L"LowerThresholdCritical",
                               L"UpperThresholdCritical",
                               L"LowerThresholdFatal",
                               L"UpperThresholdFatal",
                               L"MinReadable",
                               L"MaxReadable"});
    return order;
}
const std::vector<std::wstring> kNumericOrder = NumericOrder();

TEST(FillNumericSensorInstance, PutsAllThirtyOnePropertiesInOrder) {
    RecordingInstance instance;
    EXPECT_EQ(FillNumericSensorInstance(FullNumericEntry(), WbemObject(&instance)),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(instance.PutNames(), kNumericOrder);
    ASSERT_EQ(instance.puts.size(), kNumericOrder.size());
    for (std::size_t index = 12; index < kNumericOrder.size(); ++index) {
        const VARTYPE expected = kNumericOrder[index] == L"IsLinear" ? VARTYPE{VT_BOOL} : kInteger;
        EXPECT_EQ(V_VT(&instance.puts[index].value), expected) << index;
    }
}

TEST(FillNumericSensorInstance, TheTemperatureExampleArrivesWithItsSignedValues) {
    RecordingInstance instance;
    ASSERT_EQ(FillNumericSensorInstance(NumericEntry(TemperatureRecord()), WbemObject(&instance)),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(instance.Text(L"CreationClassName"), L"NumericSensor");
    EXPECT_EQ(instance.Integer(L"UnitModifier"), -1);
    EXPECT_EQ(instance.Integer(L"CurrentReading"), 450);
    EXPECT_EQ(instance.Integer(L"UpperThresholdCritical"), 800);
    EXPECT_EQ(instance.Integer(L"MaxReadable"), 1270);
    const VARIANT* isLinear = instance.Value(L"IsLinear");
    ASSERT_NE(isLinear, nullptr);
    EXPECT_EQ(V_VT(isLinear), VT_BOOL);
    EXPECT_EQ(V_BOOL(isLinear), VARIANT_TRUE);
    // One threshold only, and no other description for a temperature.
    for (const wchar_t* absent :
         {L"LowerThresholdNonCritical", L"UpperThresholdNonCritical", L"LowerThresholdCritical",
          L"LowerThresholdFatal", L"UpperThresholdFatal", L"OtherSensorTypeDescription"}) {
        EXPECT_EQ(instance.Value(absent), nullptr) << absent;
    }
    EXPECT_EQ(instance.puts.size(), 25u);
}

TEST(SensorFills, TheFirstRefusedPutEndsTheFill) {
    const SensorInstanceData sensor = SensorEntry(PowerSupplyRedundancyRecord());
    for (std::size_t refused = 0; refused < 12; ++refused) {
        RecordingInstance instance;
        instance.refusedPut = refused;
        EXPECT_EQ(FillSensorInstance(sensor, WbemObject(&instance)), kFailed) << refused;
        EXPECT_EQ(instance.puts.size(), refused + 1) << "nothing is put after put " << refused;
    }
    const NumericSensorInstanceData numeric = FullNumericEntry();
    for (std::size_t refused = 0; refused < kNumericOrder.size(); ++refused) {
        RecordingInstance instance;
        instance.refusedPut = refused;
        EXPECT_EQ(FillNumericSensorInstance(numeric, WbemObject(&instance)), kFailed) << refused;
        EXPECT_EQ(instance.puts.size(), refused + 1) << "nothing is put after put " << refused;
    }
}

}  // namespace
}  // namespace norv::win
