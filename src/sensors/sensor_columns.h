// The columns of "Sensor" and "NumericSensor": the properties every sensor writes, in their
// order, then a numeric sensor's own. The four keys name the sensor and its system.
#pragma once

#include <algorithm>
#include <array>

#include "host/instance_columns.h"
#include "host/provider_class_identity.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/sensor_instance_data.h"

namespace norv {

inline constexpr const auto& kSensorClassName =
    kWideServedClassName<ProviderClassNamed("NorvSensorProv")>;
inline constexpr const auto& kNumericSensorClassName =
    kWideServedClassName<ProviderClassNamed("NorvNumericSensorProv")>;

template <typename Entry, const auto& ClassName>
constexpr std::array<Column<Entry>, 12> SensorColumns() {
    using enum CimType;
    return {{
        {L"CreationClassName", String, kKey, nullptr, Constant<Entry, ClassName>},
        {L"Name", String, kNotKey, nullptr, Field<Entry, &Entry::name>},
        {L"Caption", String, kNotKey, nullptr, Field<Entry, &Entry::caption>},
        {L"ElementName", String, kNotKey, nullptr, Field<Entry, &Entry::elementName>},
        {L"Description", String, kNotKey, nullptr, Field<Entry, &Entry::description>},
        {L"DeviceID", String, kKey, nullptr, Field<Entry, &Entry::deviceId>},
        {L"SystemCreationClassName", String, kKey, nullptr,
         Field<Entry, &Entry::systemCreationClassName>},
        {L"SystemName", String, kKey, nullptr, Field<Entry, &Entry::systemName>},
        {L"SensorType", UInt16, kNotKey, WhenSet<Entry, Entry::kSensorTypeBit>,
         Field<Entry, &Entry::sensorType>},
        {L"OtherSensorTypeDescription", String, kNotKey,
         WhenSet<Entry, Entry::kOtherSensorTypeDescriptionBit>,
         Field<Entry, &Entry::otherSensorTypeDescription>},
        {L"PossibleStates", StringArray, kNotKey, WhenSet<Entry, Entry::kPossibleStatesBit>,
         Field<Entry, &Entry::possibleStates>},
        {L"CurrentState", String, kNotKey, WhenSet<Entry, Entry::kCurrentStateBit>,
         Field<Entry, &Entry::currentState>},
    }};
}

inline constexpr auto kSensorColumns = SensorColumns<SensorInstanceData, kSensorClassName>();

namespace numeric_columns {
using Entry = NumericSensorInstanceData;
using enum CimType;

// Written after the columns every sensor has, in this order.
inline constexpr std::array<Column<Entry>, 19> kOwn{{
    {L"BaseUnits", UInt16, kNotKey, WhenSet<Entry, Entry::kBaseUnitsBit>,
     Field<Entry, &Entry::baseUnits>},
    {L"UnitModifier", SInt32, kNotKey, WhenSet<Entry, Entry::kUnitModifierBit>,
     Field<Entry, &Entry::unitModifier>},
    {L"RateUnits", UInt16, kNotKey, WhenSet<Entry, Entry::kRateUnitsBit>,
     Field<Entry, &Entry::rateUnits>},
    {L"CurrentReading", SInt32, kNotKey, WhenSet<Entry, Entry::kCurrentReadingBit>,
     Field<Entry, &Entry::currentReading>},
    {L"Resolution", UInt32, kNotKey, WhenSet<Entry, Entry::kResolutionBit>,
     Field<Entry, &Entry::resolution>},
    {L"Accuracy", SInt32, kNotKey, WhenSet<Entry, Entry::kAccuracyBit>,
     Field<Entry, &Entry::accuracy>},
    {L"IsLinear", Boolean, kNotKey, WhenSet<Entry, Entry::kIsLinearBit>,
     Field<Entry, &Entry::isLinear>},
    {L"Hysteresis", UInt32, kNotKey, WhenSet<Entry, Entry::kHysteresisBit>,
     Field<Entry, &Entry::hysteresis>},
    {L"NormalMin", SInt32, kNotKey, WhenSet<Entry, Entry::kNormalMinBit>,
     Field<Entry, &Entry::normalMin>},
    {L"NormalMax", SInt32, kNotKey, WhenSet<Entry, Entry::kNormalMaxBit>,
     Field<Entry, &Entry::normalMax>},
    {L"NominalReading", SInt32, kNotKey, WhenSet<Entry, Entry::kNominalReadingBit>,
     Field<Entry, &Entry::nominalReading>},
    {L"LowerThresholdNonCritical", SInt32, kNotKey,
     WhenSet<Entry, Entry::kLowerThresholdNonCriticalBit>,
     Field<Entry, &Entry::lowerThresholdNonCritical>},
    {L"UpperThresholdNonCritical", SInt32, kNotKey,
     WhenSet<Entry, Entry::kUpperThresholdNonCriticalBit>,
     Field<Entry, &Entry::upperThresholdNonCritical>},
    {L"LowerThresholdCritical", SInt32, kNotKey, WhenSet<Entry, Entry::kLowerThresholdCriticalBit>,
     Field<Entry, &Entry::lowerThresholdCritical>},
    {L"UpperThresholdCritical", SInt32, kNotKey, WhenSet<Entry, Entry::kUpperThresholdCriticalBit>,
     Field<Entry, &Entry::upperThresholdCritical>},
    {L"LowerThresholdFatal", SInt32, kNotKey, WhenSet<Entry, Entry::kLowerThresholdFatalBit>,
     Field<Entry, &Entry::lowerThresholdFatal>},
    {L"UpperThresholdFatal", SInt32, kNotKey, WhenSet<Entry, Entry::kUpperThresholdFatalBit>,
     Field<Entry, &Entry::upperThresholdFatal>},
    {L"MinReadable", SInt32, kNotKey, WhenSet<Entry, Entry::kMinReadableBit>,
     Field<Entry, &Entry::minReadable>},
    {L"MaxReadable", SInt32, kNotKey, WhenSet<Entry, Entry::kMaxReadableBit>,
     Field<Entry, &Entry::maxReadable>},
}};

constexpr std::array<Column<Entry>, 31> Joined() {
    std::array<Column<Entry>, 31> joined{};
    const auto shared = SensorColumns<Entry, kNumericSensorClassName>();
    std::copy(shared.begin(), shared.end(), joined.begin());
    std::copy(kOwn.begin(), kOwn.end(), joined.begin() + shared.size());
    return joined;
}
}  // namespace numeric_columns

inline constexpr auto kNumericSensorColumns = numeric_columns::Joined();

}  // namespace norv
