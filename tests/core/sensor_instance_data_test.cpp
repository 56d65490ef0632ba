#include "sensors/sensor_instance_data.h"
#include "sensors/numeric_sensor_instance_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace norv {
namespace {

using Numeric = NumericSensorInstanceData;

constexpr std::uint8_t kNone = kNoNumber;
constexpr std::uint32_t kEntityFan = 0x1D;
constexpr std::uint32_t kEntitySystemBoard = 0x07;
constexpr std::uint32_t kEntityPowerSupply = 0x0A;
constexpr std::uint32_t kReadingRedundancy = 0x0B;
constexpr std::uint16_t kBaseUnitsDegreesC = 2;

SensorRecord DiscreteRecord(SensorKind kind, std::uint8_t number, std::uint32_t sensorNumber,
                            std::uint32_t sensorType, std::uint32_t entityId) {
    SensorRecord record;
    record.SetPresent(1);
    record.SetName(kind, number, kNone, kNone);
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
    SensorRecord record;
    record.SetPresent(1);
    record.SetName(SensorKind::Temperature, 3, kNone, kNone);
    record.SetOwnerId(0);
    record.SetOwnerLun(0);
    record.SetSensorNumber(sensorNumber);
    record.SetSensorType(kSensorTypeTemperature);
    record.SetEventReadingType(kReadingThreshold);
    record.SetEntityId(kEntitySystemBoard);
    record.SetEntityInstance(1);
    record.SetCurrentState(kStateOk);
    record.SetCurrentReading(450);
    record.SetUnitModifier(-1);
    record.SetBaseUnits(kBaseUnitsDegreesC);
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

SensorInstanceData OnlySensorEntry(const SensorRecord& record) {
    SensorInstanceList list;
    BuildSensorList(list, InventoryOf({record}));
    EXPECT_EQ(list.Count(), 1u);
    return list.Count() == 1 ? list.At(0) : SensorInstanceData{};
}

Numeric OnlyNumericEntry(const SensorRecord& record) {
    NumericSensorInstanceList list;
    BuildNumericSensorList(list, InventoryOf({record}));
    EXPECT_EQ(list.Count(), 1u);
    return list.Count() == 1 ? list.At(0) : Numeric{};
}

TEST(SensorInstanceData, TheFanExampleHasItsExactTexts) {
    SensorRecord record = DiscreteRecord(SensorKind::Fan, 1, 20, kSensorTypeFan, kEntityFan);
    record.SetCurrentState(1);
    const SensorInstanceData entry = OnlySensorEntry(record);
    EXPECT_EQ(entry.deviceId, "20.0.0");
    EXPECT_EQ(entry.name, "FAN 1(20.0.0)");
    EXPECT_EQ(entry.elementName, "FAN 1(20.0.0)");
    EXPECT_EQ(entry.caption, "Fan(20.0.0)");
    EXPECT_EQ(entry.description, "FAN 1(20.0.0):Fan for Fan/cooling device 0");
    EXPECT_EQ(entry.systemCreationClassName, "ComputerSystem");
    EXPECT_EQ(entry.systemName, "IPMI Controller 0");
    EXPECT_EQ(entry.present, 1u);
    EXPECT_EQ(entry.sensorType, 5u);
    EXPECT_EQ(entry.currentState, "at or below lower critical threshold");
    ASSERT_EQ(entry.possibleStates.size(), 8u);
    EXPECT_EQ(entry.possibleStates.front(), "Deasserted");
    // SensorType, PossibleStates and CurrentState; a tachometer needs no other description.
    EXPECT_EQ(entry.fieldMask, 0x08u | 0x20u | 0x40u);
    EXPECT_TRUE(entry.otherSensorTypeDescription.empty());
}

struct IdentityCase {
    std::uint32_t sensorNumber;
    std::uint32_t ownerLun;
    std::uint32_t ownerId;
    std::uint32_t entityInstance;
    const char* deviceId;
    const char* description;
};

TEST(SensorInstanceData, DeviceIdIsNumberLunOwnerAndTheEntityInstanceEndsTheDescription) {
    const IdentityCase cases[] = {
        {7, 2, 0x41, 12, "7.2.65", "FAN 1(7.2.65):Fan for Fan/cooling device 12"},
        {255, 0, 1, 255, "255.0.1", "FAN 1(255.0.1):Fan for Fan/cooling device 255"},
    };
    for (const IdentityCase& c : cases) {
        SensorRecord record = DiscreteRecord(SensorKind::Fan, 1, 0, kSensorTypeFan, kEntityFan);
        record.SetSensorNumber(c.sensorNumber);
        record.SetOwnerLun(c.ownerLun);
        record.SetOwnerId(c.ownerId);
        record.SetEntityInstance(c.entityInstance);
        const SensorInstanceData entry = OnlySensorEntry(record);
        EXPECT_EQ(entry.deviceId, c.deviceId);
        EXPECT_EQ(entry.description, c.description);
    }
}

struct CimTypeCase {
    std::uint32_t ipmiSensorType;
    std::uint16_t cimSensorType;
    // nullptr: no OtherSensorTypeDescription.
    const char* otherDescription;
    const char* caption;
};

TEST(SensorInstanceData, OnlyTheTypeOtherCarriesTheSensorTypeTextAsItsDescription) {
    const CimTypeCase cases[] = {
        {kSensorTypeVoltage, 3, nullptr, "Voltage(9.0.0)"},
        {kSensorTypeCurrent, 4, nullptr, "Current(9.0.0)"},
        // The power-supply redundancy sensor.
        {kSensorTypePowerSupply, 1, "Power Supply", "Power Supply(9.0.0)"},
        {0x00, 1, "reserved", "reserved(9.0.0)"},
        // A type without a text still is "Other", with an empty description.
        {0x50, 1, "", "(9.0.0)"},
        {0xC0, 1, "OEM", "OEM(9.0.0)"},
    };
    for (const CimTypeCase& c : cases) {
        SCOPED_TRACE(c.ipmiSensorType);
        EXPECT_EQ(ToCimSensorType(c.ipmiSensorType), c.cimSensorType);
        const SensorInstanceData entry = OnlySensorEntry(
            DiscreteRecord(SensorKind::PowerGroup, 1, 9, c.ipmiSensorType, kEntityPowerSupply));
        EXPECT_EQ(entry.sensorType, c.cimSensorType);
        EXPECT_TRUE(entry.Has(SensorInstanceData::kSensorTypeBit));
        EXPECT_EQ(entry.caption, c.caption);
        if (c.otherDescription) {
            EXPECT_TRUE(entry.Has(SensorInstanceData::kOtherSensorTypeDescriptionBit));
            EXPECT_EQ(entry.otherSensorTypeDescription, c.otherDescription);
        } else {
            EXPECT_FALSE(entry.Has(SensorInstanceData::kOtherSensorTypeDescriptionBit));
        }
    }
}

TEST(SensorInstanceData, AnEmptyStateListIsStillMarked) {
    SensorRecord record = DiscreteRecord(SensorKind::Asr, kNone, 30, 0x23, kEntitySystemBoard);
    record.SetEventReadingType(0x00);  // no state list of its own
    const SensorInstanceData entry = OnlySensorEntry(record);
    EXPECT_TRUE(entry.possibleStates.empty());
    EXPECT_TRUE(entry.Has(SensorInstanceData::kPossibleStatesBit));
    EXPECT_TRUE(entry.Has(SensorInstanceData::kCurrentStateBit));
    EXPECT_EQ(entry.name, "ASR(30.0.0)");
}

TEST(SensorInstanceData, EachRecordIsServedByExactlyOneClassInInventoryOrder) {
    SensorRecord hidden = DiscreteRecord(SensorKind::Fan, 2, 21, kSensorTypeFan, kEntityFan);
    hidden.SetPresent(0);
    SensorRecord hiddenTemperature = TemperatureRecord(43);
    hiddenTemperature.SetPresent(0);
    // A reading alone makes a record numeric, whatever its reading type.
    SensorRecord discreteWithReading = DiscreteRecord(SensorKind::Fan, 3, 22, kSensorTypeFan, 1);
    discreteWithReading.SetCurrentReading(7);
    const SensorInventory inventory = InventoryOf({
        DiscreteRecord(SensorKind::Fan, 1, 20, kSensorTypeFan, kEntityFan),
        TemperatureRecord(40),
        hidden,
        hiddenTemperature,
        discreteWithReading,
    });

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
}

TEST(SensorInstanceData, ARebuildFromAnEmptyInventoryLeavesABuiltEmptyList) {
    SensorInstanceList sensors;
    NumericSensorInstanceList numerics;
    const SensorInventory full =
        InventoryOf({DiscreteRecord(SensorKind::Fan, 1, 20, kSensorTypeFan, kEntityFan),
                     TemperatureRecord(40)});
    BuildSensorList(sensors, full);
    BuildNumericSensorList(numerics, full);
    EXPECT_TRUE(BuildSensorList(sensors, SensorInventory{}));
    EXPECT_TRUE(BuildNumericSensorList(numerics, SensorInventory{}));
    EXPECT_EQ(sensors.Count() + numerics.Count(), 0u);
    EXPECT_TRUE(sensors.Built());
    EXPECT_TRUE(numerics.Built());
}

TEST(NumericSensorInstanceData, TheTemperatureExampleHasExactlyOneThreshold) {
    const Numeric entry = OnlyNumericEntry(TemperatureRecord(40));
    EXPECT_EQ(entry.currentReading, 450);
    EXPECT_EQ(entry.unitModifier, -1);
    EXPECT_EQ(entry.baseUnits, kBaseUnitsDegreesC);
    EXPECT_EQ(entry.rateUnits, 0u);
    EXPECT_EQ(entry.upperThresholdCritical, 800);
    EXPECT_EQ(entry.nominalReading, 500);
    EXPECT_EQ(entry.normalMin, 60);
    EXPECT_EQ(entry.normalMax, 1000);
    EXPECT_EQ(entry.minReadable, 0);
    EXPECT_EQ(entry.maxReadable, 1270);
    EXPECT_EQ(entry.resolution, 0u);
    EXPECT_EQ(entry.accuracy, 0);
    EXPECT_EQ(entry.hysteresis, 0u);
    EXPECT_TRUE(entry.isLinear);
    EXPECT_EQ(entry.sensorType, 2u);
    EXPECT_EQ(entry.name, "TEMPERATURE 3(40.0.0)");
    EXPECT_EQ(entry.description, "TEMPERATURE 3(40.0.0):Temperature for System board 1");
    EXPECT_EQ(entry.systemName, "IPMI Controller 0");
    // Every bit but OtherSensorTypeDescription (0x2) and the five other thresholds
    // (0x8000, 0x10000, 0x20000, 0x80000, 0x100000).
    EXPECT_EQ(entry.fieldMask, 0x647FFDu);
}

struct ThresholdCase {
    const char* threshold;
    std::function<void(SensorRecord&, std::int32_t)> set;
    std::int32_t Numeric::*property;
    std::uint32_t fieldBit;
};

const std::vector<ThresholdCase>& ThresholdCases() {
    static const std::vector<ThresholdCase> cases = {
        {"lower non-critical", [](SensorRecord& r, std::int32_t v) { r.SetLowerNonCritical(v); },
         &Numeric::lowerThresholdNonCritical, 0x8000},
        {"upper non-critical", [](SensorRecord& r, std::int32_t v) { r.SetUpperNonCritical(v); },
         &Numeric::upperThresholdNonCritical, 0x10000},
        {"lower critical", [](SensorRecord& r, std::int32_t v) { r.SetLowerCritical(v); },
         &Numeric::lowerThresholdCritical, 0x20000},
        {"upper critical", [](SensorRecord& r, std::int32_t v) { r.SetUpperCritical(v); },
         &Numeric::upperThresholdCritical, 0x40000},
        {"lower non-recoverable",
         [](SensorRecord& r, std::int32_t v) { r.SetLowerNonRecoverable(v); },
         &Numeric::lowerThresholdFatal, 0x80000},
        {"upper non-recoverable",
         [](SensorRecord& r, std::int32_t v) { r.SetUpperNonRecoverable(v); },
         &Numeric::upperThresholdFatal, 0x100000},
    };
    return cases;
}

constexpr std::uint32_t kAllThresholdBits = 0x1F8000;

// A threshold record with a reading and no threshold yet.
SensorRecord BareThresholdRecord() {
    SensorRecord record;
    record.SetPresent(1);
    record.SetName(SensorKind::Temperature, 1, kNone, kNone);
    record.SetSensorType(kSensorTypeTemperature);
    record.SetEventReadingType(kReadingThreshold);
    record.SetCurrentReading(300);
    return record;
}

TEST(NumericSensorInstanceData, EachThresholdGoesToItsOwnPropertyAndBit) {
    for (const ThresholdCase& c : ThresholdCases()) {
        SCOPED_TRACE(c.threshold);
        SensorRecord record = BareThresholdRecord();
        c.set(record, -1234);
        const Numeric entry = OnlyNumericEntry(record);
        EXPECT_EQ(entry.fieldMask & kAllThresholdBits, c.fieldBit);
        EXPECT_EQ(entry.*c.property, -1234);
    }
}

TEST(NumericSensorInstanceData, ARecordOfAnotherReadingTypeGetsNoThreshold) {
    for (const std::uint32_t readingType : {0x00u, 0x07u, kReadingSensorSpecific, 0x70u}) {
        SCOPED_TRACE(readingType);
        SensorRecord record = TemperatureRecord(40);
        for (const ThresholdCase& c : ThresholdCases()) c.set(record, 55);
        record.SetEventReadingType(readingType);
        const Numeric entry = OnlyNumericEntry(record);
        EXPECT_EQ(entry.fieldMask & kAllThresholdBits, 0u);
        // The rest of the reading is still there.
        EXPECT_TRUE(entry.Has(Numeric::kCurrentReadingBit));
        EXPECT_TRUE(entry.Has(Numeric::kNominalReadingBit));
    }
}

TEST(NumericSensorInstanceData, EachEndOfTheReadableRangeOnlyWhenTheRecordHasIt) {
    SensorRecord record = BareThresholdRecord();
    record.SetMaxReadable(-5);
    const Numeric entry = OnlyNumericEntry(record);
    EXPECT_FALSE(entry.Has(Numeric::kMinReadableBit));
    EXPECT_TRUE(entry.Has(Numeric::kMaxReadableBit));
    EXPECT_EQ(entry.maxReadable, -5);
    // The reading, units, normal range and the four fixed values are always marked, even
    // when the record never set them.
    EXPECT_EQ(entry.fieldMask & 0x7FF0u, 0x7FF0u);
}

TEST(NumericSensorInstanceData, AnOtherTypeUsesTheNumericClassBits) {
    SensorRecord record = BareThresholdRecord();
    record.SetSensorType(kSensorTypePowerSupply);
    const Numeric entry = OnlyNumericEntry(record);
    EXPECT_EQ(entry.sensorType, 1u);
    EXPECT_EQ(entry.otherSensorTypeDescription, "Power Supply");
    EXPECT_EQ(entry.fieldMask & 0xFu, 0xFu);
}

}  // namespace
}  // namespace norv
