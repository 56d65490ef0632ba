#include "sensors/sensor_providers.h"

#include "host/provider_class_row.h"

namespace norv::win {

template class InstanceProvider<SensorClass>;
template class InstanceProvider<NumericSensorClass>;

template <>
HRESULT CreateProvider<SensorClass::kProviderClass>(REFIID iid, void** out) noexcept {
    return CreateProviderObject<NorvSensorProv>(iid, out);
}

template <>
HRESULT CreateProvider<NumericSensorClass::kProviderClass>(REFIID iid, void** out) noexcept {
    return CreateProviderObject<NorvNumericSensorProv>(iid, out);
}

}  // namespace norv::win
