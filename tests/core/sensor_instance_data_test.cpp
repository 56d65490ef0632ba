#include "sensors/sensor_instance_data.h"
#include "sensors/numeric_sensor_instance_data.h"

#include <gtest/gtest.h>

#include <cstdint>
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

TEST(SensorInstanceData, TheFanExampleAndItsIdentityTexts) {
    SensorRecord record = DiscreteRecord(SensorKind::Fan, 20, kSensorTypeFan, 0x1D);
    record.SetCurrentState(1);
    const Discrete entry = OnlySensorEntry(record);
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
    // A tachometer needs no other description.
    EXPECT_TRUE(entry.Has(Discrete::kSensorTypeBit) && entry.Has(Discrete::kPossibleStatesBit) &&
                entry.Has(Discrete::kCurrentStateBit));
    EXPECT_FALSE(entry.Has(Discrete::kOtherSensorTypeDescriptionBit));
    // DeviceID is number, LUN, owner; the entity instance ends the description.
    record.SetSensorNumber(7);
    record.SetOwnerLun(2);
    record.SetOwnerId(0x41);
    record.SetEntityInstance(255);
    EXPECT_EQ(OnlySensorEntry(record).description, "FAN 1(7.2.65):Fan for Fan/cooling device 255");
}

TEST(SensorInstanceData, OnlyTheTypeOtherCarriesTheSensorTypeTextAsItsDescription) {
    struct Case {
        std::uint32_t ipmiSensorType;
        std::uint16_t cimSensorType;
        const char* otherDescription;  // nullptr: none
        const char* caption;
    };
    const Case cases[] = {
        {kSensorTypeVoltage, 3, nullptr, "Voltage(9.0.0)"},
        {kSensorTypeCurrent, 4, nullptr, "Current(9.0.0)"},
        {kSensorTypePowerSupply, 1, "Power Supply", "Power Supply(9.0.0)"},
        {0x00, 1, "reserved", "reserved(9.0.0)"},
        {0x50, 1, "", "(9.0.0)"},  // a type without a text still is "Other"
        {0xC0, 1, "OEM", "OEM(9.0.0)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ipmiSensorType);
        EXPECT_EQ(ToCimSensorType(c.ipmiSensorType), c.cimSensorType);
        const Discrete entry =
            OnlySensorEntry(DiscreteRecord(SensorKind::PowerGroup, 9, c.ipmiSensorType, 0x0A));
        EXPECT_EQ(entry.sensorType, c.cimSensorType);
        EXPECT_EQ(entry.caption, c.caption);
        EXPECT_EQ(entry.Has(Discrete::kOtherSensorTypeDescriptionBit),
                  c.otherDescription != nullptr);
        if (c.otherDescription) {
            EXPECT_EQ(entry.otherSensorTypeDescription, c.otherDescription);
        }
    }
    SensorRecord asr = DiscreteRecord(SensorKind::Asr, 30, 0x23, 0x07);
    asr.SetEventReadingType(0x00);  // no state list of its own: still marked
    const Discrete entry = OnlySensorEntry(asr);
    EXPECT_TRUE(entry.possibleStates.empty());
    EXPECT_TRUE(entry.Has(Discrete::kPossibleStatesBit));
    EXPECT_EQ(entry.name, "ASR(30.0.0)");
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

TEST(NumericSensorInstanceData, TheTemperatureExampleHasExactlyOneThreshold) {
    const Numeric entry = OnlyNumericEntry(TemperatureRecord(40));
    EXPECT_EQ(entry.currentReading, 450);
    EXPECT_EQ(entry.unitModifier, -1);
    EXPECT_EQ(entry.baseUnits, 2u);
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
    // Every property but the other-type description and the five other thresholds.
    for (std::uint32_t bit = Numeric::kSensorTypeBit; bit <= Numeric::kMaxReadableBit; bit <<= 1) {
        const bool absent =
            bit == Numeric::kOtherSensorTypeDescriptionBit ||
            (bit >= Numeric::kLowerThresholdNonCriticalBit &&
             bit <= Numeric::kUpperThresholdFatalBit && bit != Numeric::kUpperThresholdCriticalBit);
        EXPECT_EQ(entry.Has(bit), !absent) << std::hex << bit;
    }
}

TEST(NumericSensorInstanceData, ThresholdsOnlyForThresholdSensorsEachToItsOwnProperty) {
    struct Case {
        void (SensorRecord::*set)(std::int32_t);
        std::int32_t Numeric::*property;
        std::uint32_t bit;
    };
    const Case cases[] = {
        {&SensorRecord::SetLowerNonCritical, &Numeric::lowerThresholdNonCritical,
         Numeric::kLowerThresholdNonCriticalBit},
        {&SensorRecord::SetUpperNonCritical, &Numeric::upperThresholdNonCritical,
         Numeric::kUpperThresholdNonCriticalBit},
        {&SensorRecord::SetLowerCritical, &Numeric::lowerThresholdCritical,
         Numeric::kLowerThresholdCriticalBit},
        {&SensorRecord::SetUpperCritical, &Numeric::upperThresholdCritical,
         Numeric::kUpperThresholdCriticalBit},
        {&SensorRecord::SetLowerNonRecoverable, &Numeric::lowerThresholdFatal,
         Numeric::kLowerThresholdFatalBit},
        {&SensorRecord::SetUpperNonRecoverable, &Numeric::upperThresholdFatal,
         Numeric::kUpperThresholdFatalBit},
    };
    constexpr std::uint32_t kAllThresholdBits = 0x1F8000;
    for (const Case& c : cases) {
        SensorRecord record;
        record.SetName(SensorKind::Temperature, 1, kNone, kNone);
        record.SetSensorType(kSensorTypePowerSupply);
        record.SetEventReadingType(kReadingThreshold);
        record.SetCurrentReading(300);
        record.SetMaxReadable(-5);
        (record.*c.set)(-1234);
        const Numeric entry = OnlyNumericEntry(record);
        EXPECT_EQ(entry.fieldMask & kAllThresholdBits, c.bit);
        EXPECT_EQ(entry.*c.property, -1234);
        // Each end of the readable range only when the record has it.
        EXPECT_FALSE(entry.Has(Numeric::kMinReadableBit));
        EXPECT_EQ(entry.maxReadable, -5);
        // The other type uses the numeric class's own bits.
        EXPECT_EQ(entry.sensorType, 1u);
        EXPECT_EQ(entry.otherSensorTypeDescription, "Power Supply");
        EXPECT_TRUE(entry.Has(Numeric::kOtherSensorTypeDescriptionBit));
        // The reading, units, normal range and the four fixed values are always marked.
        EXPECT_EQ(entry.fieldMask & 0x7FF0u, 0x7FF0u);
    }
    for (const std::uint32_t readingType : {0x00u, 0x07u, kReadingSensorSpecific, 0x70u}) {
        SensorRecord record = TemperatureRecord(40);
        for (const Case& c : cases) (record.*c.set)(55);
        record.SetEventReadingType(readingType);
        const Numeric entry = OnlyNumericEntry(record);
        EXPECT_EQ(entry.fieldMask & kAllThresholdBits, 0u) << readingType;
        EXPECT_TRUE(entry.Has(Numeric::kCurrentReadingBit));
    }
}

}  // namespace
}  // namespace norv
