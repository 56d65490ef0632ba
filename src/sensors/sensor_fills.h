// The fills of "Sensor" and "NumericSensor": each entry's columns (sensor_columns.h) written in
// their order, the optional ones only when marked. WBEM_S_NO_ERROR, or WBEM_E_FAILED at the
// first put that fails, after which nothing more is written.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include "platform/wmi_property.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/sensor_instance_data.h"

namespace norv::win {

HRESULT FillSensorInstance(const SensorInstanceData& entry, const WbemObject& instance);
HRESULT FillNumericSensorInstance(const NumericSensorInstanceData& entry,
                                  const WbemObject& instance);

}  // namespace norv::win
