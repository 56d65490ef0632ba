// A temperature sensor's reading as the health driver reports it when it changes: the
// driver sets TempOverThreshold itself, at or above the sensor's TempThreshold (a threshold
// of 0 is none), so a reading that crosses the threshold changes both.
#pragma once

#include <cstdint>

#include "repository/cim_class_definition.h"

namespace norvwmi {

// Sets TempCelsius and TempOverThreshold of a TempSensorInfo instance.
void SetTemperature(InstanceDefinition& sensor, std::uint32_t celsius);

}  // namespace norvwmi
