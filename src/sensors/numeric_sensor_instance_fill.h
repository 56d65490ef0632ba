// Writes a numeric sensor entry onto a spawned "NumericSensor" instance.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include "platform/wmi_property.h"
#include "sensors/numeric_sensor_instance_data.h"

namespace norv::win {

// The properties every sensor has, as FillSensorInstance puts them but with the class name
// "NumericSensor", then the reading, units, ranges, thresholds and readable range whose bits
// are set. The first put that fails ends the fill with WBEM_E_FAILED.
HRESULT FillNumericSensorInstance(const NumericSensorInstanceData& entry,
                                  const WbemObject& instance);

}  // namespace norv::win
