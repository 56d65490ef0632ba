#include "sensors/sensor_fills.h"

#include "host/instance_fill.h"
#include "sensors/sensor_columns.h"

namespace norv::win {

HRESULT FillSensorInstance(const SensorInstanceData& entry, const WbemObject& instance) {
    return FillFromColumns(kSensorColumns, entry, instance);
}

HRESULT FillNumericSensorInstance(const NumericSensorInstanceData& entry,
                                  const WbemObject& instance) {
    return FillFromColumns(kNumericSensorColumns, entry, instance);
}

}  // namespace norv::win
