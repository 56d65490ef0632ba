// NorvSensorProv and NorvNumericSensorProv: the "Sensor" instances (one per present discrete
// sensor) and the "NumericSensor" instances (one per present sensor with a reading), both
// from the process-wide sensor cache. The two differ only in the list they read, their
// columns and the class they serve.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <array>
#include <string_view>

#include "host/cache_view.h"
#include "host/instance_provider.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/sdr_cache.h"
#include "sensors/sensor_columns.h"
#include "sensors/sensor_instance_data.h"

namespace norv::win {

template <ProviderClass Served, typename EntryType,
          std::span<const EntryType> (*EntriesOf)(const SdrCache&), const auto& Columns>
struct SensorProviderClass : ServedByColumns<Columns> {
    static constexpr ProviderClass kProviderClass = Served;
    using Entry = EntryType;
    using Data = CacheView<SdrCache, &TheSdrCache, EntryType, EntriesOf>;

    // Records that are not present have entries, for the event log, but no instance.
    static bool IsShown(const Entry& entry) { return entry.present != 0; }
};

inline std::span<const SensorInstanceData> SensorsOf(const SdrCache& cache) {
    return cache.Sensors().Entries();
}
inline std::span<const NumericSensorInstanceData> NumericSensorsOf(const SdrCache& cache) {
    return cache.NumericSensors().Entries();
}

using SensorClass = SensorProviderClass<ProviderClassNamed("NorvSensorProv"), SensorInstanceData,
                                        &SensorsOf, kSensorColumns>;
using NumericSensorClass =
    SensorProviderClass<ProviderClassNamed("NorvNumericSensorProv"), NumericSensorInstanceData,
                        &NumericSensorsOf, kNumericSensorColumns>;

using NorvSensorProv = InstanceProvider<SensorClass>;
using NorvNumericSensorProv = InstanceProvider<NumericSensorClass>;
extern template class InstanceProvider<SensorClass>;
extern template class InstanceProvider<NumericSensorClass>;

}  // namespace norv::win
