// NorvSensorProv and NorvNumericSensorProv: the "Sensor" instances (one per present discrete
// sensor) and the "NumericSensor" instances (one per present sensor with a reading), both
// from the process-wide sensor cache. The two differ only in the list they read, the fill
// they call and the class they serve.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <array>
#include <string_view>

#include "host/instance_provider.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/numeric_sensor_instance_fill.h"
#include "sensors/sdr_cache_session.h"
#include "sensors/sensor_instance_data.h"
#include "sensors/sensor_instance_fill.h"
#include "sensors/sensor_key_match.h"

namespace norv::win {

template <ProviderClass Served, typename EntryType,
          const SensorEntryList<EntryType>& (*ListOf)(const SdrCache&),
          HRESULT (*FillOf)(const EntryType&, const WbemObject&), const std::string_view* ClassName>
struct SensorProviderClass {
    static constexpr ProviderClass kProviderClass = Served;
    enum Key : std::size_t {
        kCreationClassNameKey,
        kDeviceIdKey,
        kSystemCreationClassNameKey,
        kSystemNameKey
    };
    static constexpr std::array<const wchar_t*, 4> kKeyNames{
        L"CreationClassName", L"DeviceID", L"SystemCreationClassName", L"SystemName"};

    using Entry = EntryType;
    using Data = SdrCacheView<EntryType, ListOf>;

    // Records that are not present have entries, for the event log, but no instance.
    static bool IsShown(const Entry& entry) { return entry.present != 0; }
    static bool Matches(const Entry& entry, const PathKeyValues<4>& wanted) {
        return MatchesSensorKeys(entry,
                                 {wanted[kCreationClassNameKey], wanted[kDeviceIdKey],
                                  wanted[kSystemCreationClassNameKey], wanted[kSystemNameKey]},
                                 *ClassName);
    }
    static HRESULT Fill(const Entry& entry, const WbemObject& instance) {
        return FillOf(entry, instance);
    }
};

inline const SensorInstanceList& SensorListOf(const SdrCache& cache) {
    return cache.Sensors();
}
inline const NumericSensorInstanceList& NumericSensorListOf(const SdrCache& cache) {
    return cache.NumericSensors();
}

using SensorClass = SensorProviderClass<ProviderClass::Sensor, SensorInstanceData, &SensorListOf,
                                        &FillSensorInstance, &kSensorClass>;
using NumericSensorClass =
    SensorProviderClass<ProviderClass::NumericSensor, NumericSensorInstanceData,
                        &NumericSensorListOf, &FillNumericSensorInstance, &kNumericSensorClass>;

using NorvSensorProv = InstanceProvider<SensorClass>;
using NorvNumericSensorProv = InstanceProvider<NumericSensorClass>;
extern template class InstanceProvider<SensorClass>;
extern template class InstanceProvider<NumericSensorClass>;

}  // namespace norv::win
