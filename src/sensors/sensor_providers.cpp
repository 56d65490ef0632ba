#include "sensors/sensor_providers.h"

namespace norv::win {

static_assert(IdentityOf(SensorClass::kProviderClass).servedClass == kSensorClass);
static_assert(IdentityOf(NumericSensorClass::kProviderClass).servedClass == kNumericSensorClass);

template class InstanceProvider<SensorClass>;
template class InstanceProvider<NumericSensorClass>;

}  // namespace norv::win
