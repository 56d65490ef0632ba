// Where a numeric sensor's reading stands against its thresholds: the band a threshold
// crossing moves it out of. An upper threshold is reached at or above its value, a lower one
// at or below; the most severe threshold reached names the band.
#pragma once

#include <cstdint>

#include "sensors/numeric_sensor_instance_data.h"

namespace norv {

enum class ThresholdBand : std::uint8_t {
    NoReading,
    Normal,
    LowerNonCritical,
    UpperNonCritical,
    LowerCritical,
    UpperCritical,
    LowerFatal,
    UpperFatal,
};

// Only thresholds marked in the entry's fieldMask count; without a marked reading there is
// no band.
ThresholdBand ThresholdBandOf(const NumericSensorInstanceData& entry);

}  // namespace norv
