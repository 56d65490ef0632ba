#include "sensors/numeric_sensor_instance_data.h"

#include <array>
#include <utility>

namespace norv {
namespace {

using Data = NumericSensorInstanceData;

// A threshold the record holds when its stateMask bit is set, and where it goes.
struct ThresholdCopy {
    std::uint16_t stateBit;
    std::int32_t (SensorRecord::*recordValue)() const;
    std::int32_t Data::*property;
    std::uint32_t fieldBit;
};

constexpr std::array<ThresholdCopy, 6> kThresholdCopies = {{
    {kThresholdLowerNonCritical, &SensorRecord::LowerNonCritical, &Data::lowerThresholdNonCritical,
     Data::kLowerThresholdNonCriticalBit},
    {kThresholdLowerCritical, &SensorRecord::LowerCritical, &Data::lowerThresholdCritical,
     Data::kLowerThresholdCriticalBit},
    {kThresholdLowerNonRecoverable, &SensorRecord::LowerNonRecoverable, &Data::lowerThresholdFatal,
     Data::kLowerThresholdFatalBit},
    {kThresholdUpperNonCritical, &SensorRecord::UpperNonCritical, &Data::upperThresholdNonCritical,
     Data::kUpperThresholdNonCriticalBit},
    {kThresholdUpperCritical, &SensorRecord::UpperCritical, &Data::upperThresholdCritical,
     Data::kUpperThresholdCriticalBit},
    {kThresholdUpperNonRecoverable, &SensorRecord::UpperNonRecoverable, &Data::upperThresholdFatal,
     Data::kUpperThresholdFatalBit},
}};

// The numeric properties a reading carries. The provider knows nothing of the sensors'
// precision, so resolution, accuracy and hysteresis are 0 and every reading is linear.
void SetReading(Data& entry, const SensorRecord& record) {
    entry.Set(&Data::accuracy, 0, Data::kAccuracyBit);
    entry.Set(&Data::hysteresis, 0u, Data::kHysteresisBit);
    entry.Set(&Data::resolution, 0u, Data::kResolutionBit);
    entry.Set(&Data::isLinear, true, Data::kIsLinearBit);
    if (record.HasField(kFieldMinReadable)) {
        entry.Set(&Data::minReadable, record.MinReadable(), Data::kMinReadableBit);
    }
    if (record.HasField(kFieldMaxReadable)) {
        entry.Set(&Data::maxReadable, record.MaxReadable(), Data::kMaxReadableBit);
    }
    entry.Set(&Data::currentReading, record.CurrentReading(), Data::kCurrentReadingBit);
    entry.Set(&Data::baseUnits, record.BaseUnits(), Data::kBaseUnitsBit);
    entry.Set(&Data::rateUnits, record.RateUnits(), Data::kRateUnitsBit);
    entry.Set(&Data::unitModifier, record.UnitModifier(), Data::kUnitModifierBit);
    // Only a threshold sensor's stateMask names thresholds; a discrete one's names states.
    if (record.EventReadingType() == kReadingThreshold) {
        for (const ThresholdCopy& copy : kThresholdCopies) {
            if (record.HasThreshold(copy.stateBit)) {
                entry.Set(copy.property, (record.*copy.recordValue)(), copy.fieldBit);
            }
        }
    }
    entry.Set(&Data::normalMin, record.NormalMin(), Data::kNormalMinBit);
    entry.Set(&Data::normalMax, record.NormalMax(), Data::kNormalMaxBit);
    entry.Set(&Data::nominalReading, record.NominalReading(), Data::kNominalReadingBit);
}

}  // namespace

bool BuildNumericSensorList(NumericSensorInstanceList& list, const SensorInventory& inventory) {
    list.Clear();
    const ManagementControllerRecord& controller = TheManagementController();
    for (std::size_t index = 0; index < inventory.Count(); ++index) {
        const SensorRecord& record = inventory.At(index);
        if (!record.HasField(kFieldCurrentReading)) continue;  // served as a Sensor
        Data entry;
        SetReading(entry, record);
        FormSensorProperties(entry, record, controller);
        list.Append(std::move(entry));
    }
    list.SetBuilt(true);
    return true;
}

}  // namespace norv
