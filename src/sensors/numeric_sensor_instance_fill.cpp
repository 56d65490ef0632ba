#include "sensors/numeric_sensor_instance_fill.h"

#include <array>

#include "sensors/sensor_instance_fill.h"

namespace norv::win {
namespace {

using Entry = NumericSensorInstanceData;

HRESULT PutNumericSensorClassName(const WbemObject& instance, const wchar_t* property,
                                  const Entry&) {
    return PutWideStringProperty(instance, property, L"NumericSensor");
}

constexpr auto kSensorPuts = SensorPropertyPuts<Entry>(&PutNumericSensorClassName);

// Put after the properties every sensor has, in this order.
constexpr std::array<PropertyPut<Entry>, 19> kNumericPuts = {{
    {L"BaseUnits", Entry::kBaseUnitsBit, PutUInt16<Entry, &Entry::baseUnits>},
    {L"UnitModifier", Entry::kUnitModifierBit, PutInt32<Entry, &Entry::unitModifier>},
    {L"RateUnits", Entry::kRateUnitsBit, PutUInt16<Entry, &Entry::rateUnits>},
    {L"CurrentReading", Entry::kCurrentReadingBit, PutInt32<Entry, &Entry::currentReading>},
    {L"Resolution", Entry::kResolutionBit, PutUInt32<Entry, &Entry::resolution>},
    {L"Accuracy", Entry::kAccuracyBit, PutInt32<Entry, &Entry::accuracy>},
    {L"IsLinear", Entry::kIsLinearBit, PutBool<Entry, &Entry::isLinear>},
    {L"Hysteresis", Entry::kHysteresisBit, PutUInt32<Entry, &Entry::hysteresis>},
    {L"NormalMin", Entry::kNormalMinBit, PutInt32<Entry, &Entry::normalMin>},
    {L"NormalMax", Entry::kNormalMaxBit, PutInt32<Entry, &Entry::normalMax>},
    {L"NominalReading", Entry::kNominalReadingBit, PutInt32<Entry, &Entry::nominalReading>},
    {L"LowerThresholdNonCritical", Entry::kLowerThresholdNonCriticalBit,
     PutInt32<Entry, &Entry::lowerThresholdNonCritical>},
    {L"UpperThresholdNonCritical", Entry::kUpperThresholdNonCriticalBit,
     PutInt32<Entry, &Entry::upperThresholdNonCritical>},
    {L"LowerThresholdCritical", Entry::kLowerThresholdCriticalBit,
     PutInt32<Entry, &Entry::lowerThresholdCritical>},
    {L"UpperThresholdCritical", Entry::kUpperThresholdCriticalBit,
     PutInt32<Entry, &Entry::upperThresholdCritical>},
    {L"LowerThresholdFatal", Entry::kLowerThresholdFatalBit,
     PutInt32<Entry, &Entry::lowerThresholdFatal>},
    {L"UpperThresholdFatal", Entry::kUpperThresholdFatalBit,
     PutInt32<Entry, &Entry::upperThresholdFatal>},
    {L"MinReadable", Entry::kMinReadableBit, PutInt32<Entry, &Entry::minReadable>},
    {L"MaxReadable", Entry::kMaxReadableBit, PutInt32<Entry, &Entry::maxReadable>},
}};

}  // namespace

HRESULT FillNumericSensorInstance(const NumericSensorInstanceData& entry,
                                  const WbemObject& instance) {
    const HRESULT shared = PutInOrder<Entry>(instance, entry, kSensorPuts);
    if (FAILED(shared)) return shared;
    return PutInOrder<Entry>(instance, entry, kNumericPuts);
}

}  // namespace norv::win
