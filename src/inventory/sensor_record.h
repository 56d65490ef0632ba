// One sensor in IPMI terms: identity, type, state and, for threshold sensors, a
// reading with thresholds, plus the element name. Optional fields are marked in
// fieldMask as they are set; only marked fields reach a CIM instance.
#pragma once

#include <cstdint>
#include <string>

#include "inventory/health_read.h"
#include "inventory/sensor_kind.h"

namespace norv {

// fieldMask bits. 0x2, 0x80, 0x100, 0x200 and 0x400 are not used.
inline constexpr std::uint32_t kFieldSensorType = 0x1;
inline constexpr std::uint32_t kFieldCurrentState = 0x4;
inline constexpr std::uint32_t kFieldCurrentReading = 0x8;
inline constexpr std::uint32_t kFieldBaseUnits = 0x10;
inline constexpr std::uint32_t kFieldUnitModifier = 0x20;
inline constexpr std::uint32_t kFieldRateUnits = 0x40;
inline constexpr std::uint32_t kFieldNormalMin = 0x800;
inline constexpr std::uint32_t kFieldNormalMax = 0x1000;
inline constexpr std::uint32_t kFieldNominalReading = 0x2000;
inline constexpr std::uint32_t kFieldMinReadable = 0x4000;
inline constexpr std::uint32_t kFieldMaxReadable = 0x8000;
inline constexpr std::uint32_t kFieldOwnerId = 0x10000;
inline constexpr std::uint32_t kFieldOwnerLun = 0x20000;
inline constexpr std::uint32_t kFieldSensorNumber = 0x40000;
inline constexpr std::uint32_t kFieldEntityId = 0x80000;
inline constexpr std::uint32_t kFieldEntityInstance = 0x100000;
inline constexpr std::uint32_t kFieldName = 0x200000;
inline constexpr std::uint32_t kFieldEventReadingType = 0x400000;

// stateMask bits of a threshold sensor: which thresholds exist.
inline constexpr std::uint16_t kThresholdLowerNonCritical = 0x01;
inline constexpr std::uint16_t kThresholdLowerCritical = 0x02;
inline constexpr std::uint16_t kThresholdLowerNonRecoverable = 0x04;
inline constexpr std::uint16_t kThresholdUpperNonCritical = 0x08;
inline constexpr std::uint16_t kThresholdUpperCritical = 0x10;
inline constexpr std::uint16_t kThresholdUpperNonRecoverable = 0x20;

// A number given to SetName that means "no number".
inline constexpr std::uint8_t kNoNumber = 255;

class SensorRecord {
public:
    // Setters take 32-bit values, as the platform reports them, and keep the field's width.
    void SetOwnerId(std::uint32_t value);
    void SetOwnerLun(std::uint32_t value);
    void SetSensorNumber(std::uint32_t value);
    void SetEntityId(std::uint32_t value);
    void SetEntityInstance(std::uint32_t value);
    void SetSensorType(std::uint32_t value);
    void SetEventReadingType(std::uint32_t value);
    void SetCurrentState(std::uint32_t value);
    void SetCurrentReading(std::int32_t value);
    void SetBaseUnits(std::uint32_t value);
    void SetUnitModifier(std::int32_t value);
    void SetRateUnits(std::uint32_t value);
    void SetNominalReading(std::int32_t value);
    void SetNormalMax(std::int32_t value);
    void SetNormalMin(std::int32_t value);
    void SetMaxReadable(std::int32_t value);
    void SetMinReadable(std::int32_t value);
    void SetUpperNonRecoverable(std::int32_t value);
    void SetUpperCritical(std::int32_t value);
    void SetUpperNonCritical(std::int32_t value);
    void SetLowerNonRecoverable(std::int32_t value);
    void SetLowerCritical(std::int32_t value);
    void SetLowerNonCritical(std::int32_t value);

    void SetPresent(std::uint8_t value) { present = value; }
    void AddStates(std::uint16_t bits) { stateMask = static_cast<std::uint16_t>(stateMask | bits); }

    // Stores the kind and the first two numbers as the lookup key and builds the element
    // name; kNoNumber means "no number".
    void SetName(SensorKind sensorKind, std::uint8_t number1, std::uint8_t number2,
                 std::uint8_t number3);

    // Lookup by key. For the fan-group kinds the keys are a 16-bit fan mask (key1 low
    // byte, key2 high byte) and a group also matches when it holds every fan of the key.
    bool Matches(SensorKind sensorKind, std::uint8_t key1, std::uint8_t key2) const;

    std::uint32_t FieldMask() const { return fieldMask; }
    bool HasField(std::uint32_t bit) const { return (fieldMask & bit) != 0; }
    std::uint8_t Present() const { return present; }
    std::uint8_t OwnerId() const { return ownerId; }
    std::uint8_t OwnerLun() const { return ownerLun; }
    std::uint8_t SensorNumber() const { return sensorNumber; }
    std::uint32_t EntityId() const { return entityId; }
    std::uint8_t EntityInstance() const { return entityInstance; }
    std::uint32_t SensorType() const { return sensorType; }
    std::uint32_t EventReadingType() const { return eventReadingType; }
    std::uint16_t StateMask() const { return stateMask; }
    bool HasThreshold(std::uint16_t bit) const { return (stateMask & bit) != 0; }
    std::uint8_t CurrentState() const { return currentState; }
    std::int32_t CurrentReading() const { return currentReading; }
    std::uint16_t BaseUnits() const { return baseUnits; }
    std::int32_t UnitModifier() const { return unitModifier; }
    std::uint16_t RateUnits() const { return rateUnits; }
    std::int32_t NominalReading() const { return nominalReading; }
    std::int32_t NormalMax() const { return normalMax; }
    std::int32_t NormalMin() const { return normalMin; }
    std::int32_t MaxReadable() const { return maxReadable; }
    std::int32_t MinReadable() const { return minReadable; }
    std::int32_t UpperNonRecoverable() const { return upperNonRecoverable; }
    std::int32_t UpperCritical() const { return upperCritical; }
    std::int32_t UpperNonCritical() const { return upperNonCritical; }
    std::int32_t LowerNonRecoverable() const { return lowerNonRecoverable; }
    std::int32_t LowerCritical() const { return lowerCritical; }
    std::int32_t LowerNonCritical() const { return lowerNonCritical; }
    const std::string& Name() const { return name; }
    SensorKind Kind() const { return kind; }
    std::uint8_t KeyNumber1() const { return keyNumber1; }
    std::uint8_t KeyNumber2() const { return keyNumber2; }

    // The read of the inventory build the record was made from.
    HealthRead ReadFrom() const { return readFrom; }
    void SetReadFrom(HealthRead read) { readFrom = read; }

private:
    void Mark(std::uint32_t bit) { fieldMask |= bit; }
    void MarkThreshold(std::uint16_t bit) { AddStates(bit); }

    std::uint32_t fieldMask = 0;
    std::uint8_t present = 0;
    std::uint8_t ownerId = 0;
    std::uint8_t ownerLun = 0;
    std::uint8_t sensorNumber = 0;
    std::uint32_t entityId = 0;
    std::uint8_t entityInstance = 0;
    std::uint32_t sensorType = 0;
    std::uint32_t eventReadingType = 0;
    std::uint16_t stateMask = 0;
    std::uint8_t currentState = 0;
    std::int32_t currentReading = 0;
    std::uint16_t baseUnits = 0;
    std::int32_t unitModifier = 0;
    std::uint16_t rateUnits = 0;
    std::int32_t nominalReading = 0;
    std::int32_t normalMax = 0;
    std::int32_t normalMin = 0;
    std::int32_t maxReadable = 0;
    std::int32_t minReadable = 0;
    std::int32_t upperNonRecoverable = 0;
    std::int32_t upperCritical = 0;
    std::int32_t upperNonCritical = 0;
    std::int32_t lowerNonRecoverable = 0;
    std::int32_t lowerCritical = 0;
    std::int32_t lowerNonCritical = 0;
    std::string name;
    SensorKind kind = SensorKind::Fan;
    std::uint8_t keyNumber1 = 0;
    std::uint8_t keyNumber2 = 0;
    HealthRead readFrom = HealthRead::Processors;
};

}  // namespace norv
