// NorvSensorProv and NorvNumericSensorProv: the "Sensor" instances (one per present discrete
// sensor) and the "NumericSensor" instances (one per present sensor with a reading), both
// from the process-wide sensor cache. The two differ only in the list they read, their
// columns and the class they serve.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <array>
#include <string_view>

#include "host/instance_provider.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/sdr_cache_session.h"
#include "sensors/sensor_columns.h"
#include "sensors/sensor_instance_data.h"

namespace norv::win {

template <ProviderClass Served, typename EntryType,
          const SensorEntryList<EntryType>& (*ListOf)(const SdrCache&), const auto& Columns>
struct SensorProviderClass : ServedByColumns<Columns> {
    static constexpr ProviderClass kProviderClass = Served;
    using Entry = EntryType;
    using Data = SdrCacheView<EntryType, ListOf>;

    // Records that are not present have entries, for the event log, but no instance.
    static bool IsShown(const Entry& entry) { return entry.present != 0; }
};

inline const SensorInstanceList& SensorListOf(const SdrCache& cache) {
    return cache.Sensors();
}
inline const NumericSensorInstanceList& NumericSensorListOf(const SdrCache& cache) {
    return cache.NumericSensors();
}

using SensorClass =
    SensorProviderClass<ProviderClass::Sensor, SensorInstanceData, &SensorListOf, kSensorColumns>;
using NumericSensorClass =
    SensorProviderClass<ProviderClass::NumericSensor, NumericSensorInstanceData,
                        &NumericSensorListOf, kNumericSensorColumns>;

using NorvSensorProv = InstanceProvider<SensorClass>;
using NorvNumericSensorProv = InstanceProvider<NumericSensorClass>;
extern template class InstanceProvider<SensorClass>;
extern template class InstanceProvider<NumericSensorClass>;

}  // namespace norv::win
