// The builders of the environmental sensors: temperatures, fan redundancy groups, fans,
// power redundancy with the power subsystem, and power supplies. Each runs one query on the
// health data, appends its records to the inventory and moves the sensor-number counter on;
// the counter is 8-bit and wraps.
//
// Each returns true, except when a key property (the number of a present temperature
// sensor, a fan index, a power-supply number) cannot be read: then the records it appended
// are removed again, the inventory is marked invalid and it returns false. The counter keeps
// the advance already made.
#pragma once

#include <cstdint>
#include <string_view>

#include "inventory/sensor_inventory.h"
#include "platform/health_data_source.h"

namespace norv {

inline constexpr std::string_view kTemperatureQuery =
    "SELECT TempBlowout, TempCelsius, TempImmediatePowerOff, TempLocale, TempNumber, "
    "TempOverThreshold, TempPhysicallyFailed, TempPresent, TempShutdownGracefully, "
    "TempThreshold  FROM TempSensorInfo";

inline constexpr std::string_view kFanGroupQuery =
    "SELECT FanLocale, FanPresent, FanPhysicallyFailed, FanRedundant, FanRedCapable, "
    "FanRedGroupId, FanMinReqForRedundancy, FanMinReqToRun, FanSharedGroupingCapable, "
    "FanSharedRedGroupId, FanSharedMinReqForRedundancy, FanSharedMinReqToRun FROM FanInfo";

inline constexpr std::string_view kFanQuery =
    "SELECT FanIndex, FanLocale, FanPresent, FanType, FanSpeed, FanPhysicallyFailed "
    "FROM FanInfo";

inline constexpr std::string_view kPowerRedundancyQuery =
    "SELECT PowerSupplyNumber, PowerSupplyPresent, PowerSupplyFailed, PowerSupplyRedCapable, "
    "PowerSupplyRedGroupId, PowerSupplyMinReqForRedundancy, PowerSupplyMinReqToRun, "
    "MaximumPowerSupplyID, NumPowerSuppliesSupportedByChassis, PowerSupplyIsRedundant "
    "FROM PowerSupplyInfo";

inline constexpr std::string_view kPowerSupplyQuery =
    "SELECT PowerSupplyNumber, PowerSupplyPresent, PowerSupplyFailed, MaximumPowerSupplyID "
    "FROM PowerSupplyInfo";

// Threshold sensors numbered from the counter by TempNumber; the counter moves on by the
// number of sensors reported.
bool BuildTemperatureSensors(SensorInventory& inventory, HealthDataSource& source,
                             std::uint8_t& counter);

// One sensor per fan redundancy group, then one per shared group.
bool BuildFanGroupSensors(SensorInventory& inventory, HealthDataSource& source,
                          std::uint8_t& counter);

// One availability sensor per fan, numbered from the counter by FanIndex.
bool BuildFanSensors(SensorInventory& inventory, HealthDataSource& source, std::uint8_t& counter);

// The power-subsystem sensor, always, then one sensor per power redundancy group.
bool BuildPowerRedundancySensors(SensorInventory& inventory, HealthDataSource& source,
                                 std::uint8_t& counter);

// One sensor per power supply, numbered from the counter by PowerSupplyNumber; the counter
// moves on by the highest power-supply id the platform supports.
bool BuildPowerSupplySensors(SensorInventory& inventory, HealthDataSource& source,
                             std::uint8_t& counter);

}  // namespace norv
