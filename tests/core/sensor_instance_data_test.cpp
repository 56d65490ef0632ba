#include "sensors/sensor_instance_data.h"
#include "sensors/numeric_sensor_instance_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace norv {
namespace {

using Numeric = NumericSensorInstanceData;
using Discrete = SensorInstanceData;

constexpr std::uint8_t kNone = kNoNumber;

SensorRecord DiscreteRecord(SensorKind kind, std::uint32_t sensorNumber, std::uint32_t sensorType,
                            std::uint32_t entityId) {
    SensorRecord record;
    record.SetPresent(1);
    record.SetName(kind, 1, kNone, kNone);
    record.SetOwnerId(0);
    record.SetOwnerLun(0);
    record.SetSensorNumber(sensorNumber);
    record.SetSensorType(sensorType);
    record.SetEventReadingType(kReadingSensorSpecific);
    record.SetEntityId(entityId);
    record.SetEntityInstance(0);
    record.SetCurrentState(kStateOk);
    return record;
}

// A temperature as the environmental builder makes it: 45.0 degrees C with one upper
// critical threshold at 80.0.
SensorRecord TemperatureRecord(std::uint32_t sensorNumber) {
    SensorRecord record =
        DiscreteRecord(SensorKind::Temperature, sensorNumber, kSensorTypeTemperature, 0x07);
    record.SetName(SensorKind::Temperature, 3, kNone, kNone);
    record.SetEventReadingType(kReadingThreshold);
    record.SetEntityInstance(1);
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

SensorInventory InventoryOf(const std::vector<SensorRecord>& records) {
    SensorInventory inventory;
    for (const SensorRecord& record : records) inventory.Append(record);
    inventory.SetValid(true);
    return inventory;
}

Discrete OnlySensorEntry(const SensorRecord& record) {
    SensorInstanceList list;
    BuildSensorList(list, InventoryOf({record}));
    EXPECT_EQ(list.Count(), 1u);
    return list.Count() == 1 ? list.At(0) : Discrete{};
}

Numeric OnlyNumericEntry(const SensorRecord& record) {
    NumericSensorInstanceList list;
    BuildNumericSensorList(list, InventoryOf({record}));
    EXPECT_EQ(list.Count(), 1u);
    return list.Count() == 1 ? list.At(0) : Numeric{};
}

// An entry in one line: the texts, presence, CIM type, other-type description, states
// (count and first) and the field bits.
template <typename Entry>
std::string Texts(const Entry& e) {
    char head[64];
    std::snprintf(head, sizeof head, "present %u type %u fields %X: ", unsigned{e.present},
                  unsigned{e.sensorType}, unsigned{e.fieldMask});
    return head + e.deviceId + " | " + e.name + " | " + e.elementName + " | " + e.caption +
           " | " + e.description + " | " + e.systemCreationClassName + " | " + e.systemName +
           " | other \"" + e.otherSensorTypeDescription + "\" | " + e.currentState + " | " +
           std::to_string(e.possibleStates.size()) + " states" +
           (e.possibleStates.empty() ? "" : ", first " + e.possibleStates.front());
}

std::string Readings(const Numeric& e) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "reading %d units %u/%d/%u resolution %u accuracy %d linear %d hysteresis %u "
                  "normal %d..%d nominal %d thresholds %d/%d %d/%d %d/%d readable %d..%d",
                  e.currentReading, unsigned{e.baseUnits}, e.unitModifier, unsigned{e.rateUnits},
                  e.resolution, e.accuracy, int{e.isLinear}, e.hysteresis, e.normalMin,
                  e.normalMax, e.nominalReading, e.lowerThresholdNonCritical,
                  e.upperThresholdNonCritical, e.lowerThresholdCritical, e.upperThresholdCritical,
                  e.lowerThresholdFatal, e.upperThresholdFatal, e.minReadable, e.maxReadable);
    return text;
}

TEST(SensorInstanceData, TheFanExampleAndItsIdentityTexts) {
    SensorRecord record = DiscreteRecord(SensorKind::Fan, 20, kSensorTypeFan, 0x1D);
    record.SetCurrentState(1);
    // A tachometer needs no other description.
    EXPECT_EQ(Texts(OnlySensorEntry(record)),
              "present 1 type 5 fields 68: 20.0.0 | FAN 1(20.0.0) | FAN 1(20.0.0) | Fan(20.0.0) | "
              "FAN 1(20.0.0):Fan for Fan/cooling device 0 | ComputerSystem | IPMI Controller 0 | "
              "other \"\" | at or below lower critical threshold | 8 states, first Deasserted");
    // DeviceID is number, LUN, owner; the entity instance ends the description.
    record.SetSensorNumber(7);
    record.SetOwnerLun(2);
    record.SetOwnerId(0x41);
    record.SetEntityInstance(255);
    EXPECT_EQ(OnlySensorEntry(record).description, "FAN 1(7.2.65):Fan for Fan/cooling device 255");
}

// Only the type "Other" carries the sensor type's text as its description; a type without
// a text still is "Other".
TEST(SensorInstanceData, OnlyTheTypeOtherCarriesTheSensorTypeTextAsItsDescription) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {kSensorTypeVoltage, "type 3 fields 68: Voltage(9.0.0) other \"\""},
        {kSensorTypeCurrent, "type 4 fields 68: Current(9.0.0) other \"\""},
        {kSensorTypePowerSupply, "type 1 fields 78: Power Supply(9.0.0) other \"Power Supply\""},
        {0x00, "type 1 fields 78: reserved(9.0.0) other \"reserved\""},
        {0x50, "type 1 fields 78: (9.0.0) other \"\""},
        {0xC0, "type 1 fields 78: OEM(9.0.0) other \"OEM\""},
    };
    for (const auto& [type, expected] : cases) {
        const Discrete e = OnlySensorEntry(DiscreteRecord(SensorKind::PowerGroup, 9, type, 0x0A));
        EXPECT_EQ(e.sensorType, ToCimSensorType(type));
        char head[32];
        std::snprintf(head, sizeof head, "type %u fields %X: ", unsigned{e.sensorType},
                      unsigned{e.fieldMask});
        EXPECT_EQ(head + e.caption + " other \"" + e.otherSensorTypeDescription + "\"", expected);
    }
    SensorRecord asr = DiscreteRecord(SensorKind::Asr, 30, 0x23, 0x07);
    asr.SetEventReadingType(0x00);  // no state list of its own: still marked
    EXPECT_EQ(Texts(OnlySensorEntry(asr)),
              "present 1 type 1 fields 78: 30.0.0 | ASR(30.0.0) | ASR(30.0.0) | Watchdog 2(30.0.0) "
              "| ASR(30.0.0):Watchdog 2 for System board 0 | ComputerSystem | IPMI Controller 0 | "
              "other \"Watchdog 2\" | OK | 0 states");
}

TEST(SensorInstanceData, EachRecordIsServedByExactlyOneClassInInventoryOrder) {
    SensorRecord hidden = DiscreteRecord(SensorKind::Fan, 21, kSensorTypeFan, 0x1D);
    hidden.SetPresent(0);
    SensorRecord hiddenTemperature = TemperatureRecord(43);
    hiddenTemperature.SetPresent(0);
    // A reading alone makes a record numeric, whatever its reading type.
    SensorRecord discreteWithReading = DiscreteRecord(SensorKind::Fan, 22, kSensorTypeFan, 1);
    discreteWithReading.SetCurrentReading(7);
    const SensorInventory inventory =
        InventoryOf({DiscreteRecord(SensorKind::Fan, 20, kSensorTypeFan, 0x1D),
                     TemperatureRecord(40), hidden, hiddenTemperature, discreteWithReading});
    SensorInstanceList sensors;
    NumericSensorInstanceList numerics;
    EXPECT_TRUE(BuildSensorList(sensors, inventory));
    EXPECT_TRUE(BuildNumericSensorList(numerics, inventory));
    // Entries of records that are not present are kept; only the providers skip them.
    ASSERT_EQ(sensors.Count(), 2u);
    EXPECT_EQ(sensors.At(0).deviceId + "/" + sensors.At(1).deviceId, "20.0.0/21.0.0");
    EXPECT_EQ(sensors.At(1).present, 0u);
    ASSERT_EQ(numerics.Count(), 3u);
    EXPECT_EQ(
        numerics.At(0).deviceId + "/" + numerics.At(1).deviceId + "/" + numerics.At(2).deviceId,
        "40.0.0/43.0.0/22.0.0");
    EXPECT_EQ(numerics.At(1).present, 0u);
    // A rebuild from an empty inventory leaves a built, empty list.
    EXPECT_TRUE(BuildSensorList(sensors, SensorInventory{}));
    EXPECT_TRUE(BuildNumericSensorList(numerics, SensorInventory{}));
    EXPECT_EQ(sensors.Count() + numerics.Count(), 0u);
    EXPECT_TRUE(sensors.Built() && numerics.Built());
}

// Every property but the other-type description and the five other thresholds.
TEST(NumericSensorInstanceData, TheTemperatureExampleHasExactlyOneThreshold) {
    const Numeric entry = OnlyNumericEntry(TemperatureRecord(40));
    EXPECT_EQ(Texts(entry),
              "present 1 type 2 fields 647FFD: 40.0.0 | TEMPERATURE 3(40.0.0) | TEMPERATURE "
              "3(40.0.0) | Temperature(40.0.0) | TEMPERATURE 3(40.0.0):Temperature for System "
              "board 1 | ComputerSystem | IPMI Controller 0 | other \"\" | OK | 8 states, first OK");
    EXPECT_EQ(Readings(entry),
              "reading 450 units 2/-1/0 resolution 0 accuracy 0 linear 1 hysteresis 0 normal "
              "60..1000 nominal 500 thresholds 0/0 0/800 0/0 readable 0..1270");
}

// Thresholds only for threshold sensors, each to its own property; each end of the readable
// range only when the record has it; the other type uses the numeric class's own bits.
TEST(NumericSensorInstanceData, ThresholdsOnlyForThresholdSensorsEachToItsOwnProperty) {
    using Set = void (SensorRecord::*)(std::int32_t);
    const Set setters[] = {&SensorRecord::SetLowerNonCritical,   &SensorRecord::SetUpperNonCritical,
                           &SensorRecord::SetLowerCritical,      &SensorRecord::SetUpperCritical,
                           &SensorRecord::SetLowerNonRecoverable, &SensorRecord::SetUpperNonRecoverable};
    std::string answers;
    for (const Set set : setters) {
        SensorRecord record;
        record.SetName(SensorKind::Temperature, 1, kNone, kNone);
        record.SetSensorType(kSensorTypePowerSupply);
        record.SetEventReadingType(kReadingThreshold);
        record.SetCurrentReading(300);
        record.SetMaxReadable(-5);
        (record.*set)(-1234);
        const Numeric entry = OnlyNumericEntry(record);
        char fields[48];
        std::snprintf(fields, sizeof fields, "fields %X other ", unsigned{entry.fieldMask});
        answers += fields + entry.otherSensorTypeDescription + ": " + Readings(entry) + "\n";
    }
    const std::string rest = " other Power Supply: reading 300 units 0/0/0 resolution 0 accuracy 0 "
                             "linear 1 hysteresis 0 normal 0..0 nominal 0 thresholds ";
    EXPECT_EQ(answers, "fields 40FFFF" + rest + "-1234/0 0/0 0/0 readable 0..-5\n" +
                           "fields 417FFF" + rest + "0/-1234 0/0 0/0 readable 0..-5\n" +
                           "fields 427FFF" + rest + "0/0 -1234/0 0/0 readable 0..-5\n" +
                           "fields 447FFF" + rest + "0/0 0/-1234 0/0 readable 0..-5\n" +
                           "fields 487FFF" + rest + "0/0 0/0 -1234/0 readable 0..-5\n" +
                           "fields 507FFF" + rest + "0/0 0/0 0/-1234 readable 0..-5\n");
    for (const std::uint32_t readingType : {0x00u, 0x07u, kReadingSensorSpecific, 0x70u}) {
        SensorRecord record = TemperatureRecord(40);
        for (const Set set : setters) (record.*set)(55);
        record.SetEventReadingType(readingType);
        EXPECT_EQ(OnlyNumericEntry(record).fieldMask, 0x607FFDu) << readingType;
    }
}

}  // namespace
}  // namespace norv
