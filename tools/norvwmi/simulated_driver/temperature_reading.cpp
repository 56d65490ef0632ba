#include "simulated_driver/temperature_reading.h"

#include "repository/instance_values.h"

namespace norvwmi {

void SetTemperature(InstanceDefinition& sensor, std::uint32_t celsius) {
    const std::uint64_t threshold = UnsignedOf(sensor, "TempThreshold").value_or(0);
    SetValue(sensor, "TempCelsius", CimValue{std::uint64_t{celsius}});
    SetValue(sensor, "TempOverThreshold", CimValue{threshold > 0 && celsius >= threshold});
}

}  // namespace norvwmi
