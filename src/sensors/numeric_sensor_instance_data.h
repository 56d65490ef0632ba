// The property values of the "NumericSensor" instances, one entry per sensor with a current
// reading: the properties every sensor has (formed as for "Sensor", with bits of their own)
// followed by the reading, its units, ranges and thresholds.
#pragma once

#include <cstdint>
#include <type_traits>

#include "inventory/sensor_inventory.h"
#include "sensors/sensor_instance_data.h"

namespace norv {

struct NumericSensorInstanceBits {
    static constexpr std::uint32_t kSensorTypeBit = 0x1;
    static constexpr std::uint32_t kOtherSensorTypeDescriptionBit = 0x2;
    static constexpr std::uint32_t kPossibleStatesBit = 0x4;
    static constexpr std::uint32_t kCurrentStateBit = 0x8;
    static constexpr std::uint32_t kBaseUnitsBit = 0x10;
    static constexpr std::uint32_t kUnitModifierBit = 0x20;
    static constexpr std::uint32_t kRateUnitsBit = 0x40;
    static constexpr std::uint32_t kCurrentReadingBit = 0x80;
    static constexpr std::uint32_t kResolutionBit = 0x100;
    static constexpr std::uint32_t kAccuracyBit = 0x200;
    static constexpr std::uint32_t kIsLinearBit = 0x400;
    static constexpr std::uint32_t kHysteresisBit = 0x800;
    static constexpr std::uint32_t kNormalMinBit = 0x1000;
    static constexpr std::uint32_t kNormalMaxBit = 0x2000;
    static constexpr std::uint32_t kNominalReadingBit = 0x4000;
    static constexpr std::uint32_t kLowerThresholdNonCriticalBit = 0x8000;
    static constexpr std::uint32_t kUpperThresholdNonCriticalBit = 0x10000;
    static constexpr std::uint32_t kLowerThresholdCriticalBit = 0x20000;
    static constexpr std::uint32_t kUpperThresholdCriticalBit = 0x40000;
    static constexpr std::uint32_t kLowerThresholdFatalBit = 0x80000;
    static constexpr std::uint32_t kUpperThresholdFatalBit = 0x100000;
    static constexpr std::uint32_t kMinReadableBit = 0x200000;
    static constexpr std::uint32_t kMaxReadableBit = 0x400000;
};

// Every number is the record's already-scaled integer; the client applies UnitModifier.
struct NumericSensorInstanceData : SensorProperties<NumericSensorInstanceBits> {
    std::uint16_t baseUnits = 0;
    std::int32_t unitModifier = 0;
    std::uint16_t rateUnits = 0;
    std::int32_t currentReading = 0;
    std::uint32_t resolution = 0;
    std::int32_t accuracy = 0;
    bool isLinear = false;
    std::uint32_t hysteresis = 0;
    std::int32_t normalMin = 0;
    std::int32_t normalMax = 0;
    std::int32_t nominalReading = 0;
    std::int32_t lowerThresholdNonCritical = 0;
    std::int32_t upperThresholdNonCritical = 0;
    std::int32_t lowerThresholdCritical = 0;
    std::int32_t upperThresholdCritical = 0;
    std::int32_t lowerThresholdFatal = 0;
    std::int32_t upperThresholdFatal = 0;
    std::int32_t minReadable = 0;
    std::int32_t maxReadable = 0;

    // Stores a numeric property and marks it with its bit.
    template <typename T>
    void Set(T NumericSensorInstanceData::*field, std::type_identity_t<T> value,
             std::uint32_t bit) {
        this->*field = value;
        fieldMask |= bit;
    }
};

using NumericSensorInstanceList = SensorEntryList<NumericSensorInstanceData>;

// Rebuilds the list with one entry per record with a current reading, records that are not
// present included. Thresholds are taken only from threshold-type records. Always ends
// built and returns true.
bool BuildNumericSensorList(NumericSensorInstanceList& list, const SensorInventory& inventory);

}  // namespace norv
