#include "events/threshold_band.h"

#include <array>

namespace norv {
namespace {

using Bits = NumericSensorInstanceBits;

struct ThresholdRow {
    std::int32_t NumericSensorInstanceData::*threshold;
    std::uint32_t bit;
    bool upper;
    ThresholdBand band;
};

// Most severe first: the first threshold the reading reaches names the band.
constexpr std::array<ThresholdRow, 6> kThresholds{{
    {&NumericSensorInstanceData::upperThresholdFatal, Bits::kUpperThresholdFatalBit, true,
     ThresholdBand::UpperFatal},
    {&NumericSensorInstanceData::lowerThresholdFatal, Bits::kLowerThresholdFatalBit, false,
     ThresholdBand::LowerFatal},
    {&NumericSensorInstanceData::upperThresholdCritical, Bits::kUpperThresholdCriticalBit, true,
     ThresholdBand::UpperCritical},
    {&NumericSensorInstanceData::lowerThresholdCritical, Bits::kLowerThresholdCriticalBit, false,
     ThresholdBand::LowerCritical},
    {&NumericSensorInstanceData::upperThresholdNonCritical, Bits::kUpperThresholdNonCriticalBit,
     true, ThresholdBand::UpperNonCritical},
    {&NumericSensorInstanceData::lowerThresholdNonCritical, Bits::kLowerThresholdNonCriticalBit,
     false, ThresholdBand::LowerNonCritical},
}};

}  // namespace

ThresholdBand ThresholdBandOf(const NumericSensorInstanceData& entry) {
    if (!entry.Has(Bits::kCurrentReadingBit)) return ThresholdBand::NoReading;
    const std::int32_t reading = entry.currentReading;
    for (const ThresholdRow& row : kThresholds) {
        if (!entry.Has(row.bit)) continue;
        const std::int32_t threshold = entry.*row.threshold;
        if (row.upper ? reading >= threshold : reading <= threshold) return row.band;
    }
    return ThresholdBand::Normal;
}

}  // namespace norv
