// The builders of the system sensors: processors, the automatic server recovery timer, the
// unit-identification light, the fixed firmware and operating-system sensors, the memory
// subsystem, the memory cartridges with their power interlocks, and the DIMMs. Like the
// environmental builders each appends its records to the inventory and moves the 8-bit
// sensor-number counter on, wrapping.
#pragma once

#include <cstdint>
#include <string_view>

#include "inventory/sensor_inventory.h"
#include "platform/health_data_source.h"
#include "platform/processor_info_source.h"

namespace norv {

// The operating system's processors live in another namespace than the health classes.
inline constexpr std::string_view kProcessorNamespace = "root\\CIMv2";
inline constexpr std::string_view kProcessorQuery = "SELECT * FROM Win32_Processor";

inline constexpr std::string_view kAsrQuery = "SELECT ASRIsEnabled, ASRTimeOut FROM ASRInfo";
inline constexpr std::string_view kUidLightQuery = "SELECT UIDLightState FROM UIDLightInfo";
inline constexpr std::string_view kMemorySubsystemQuery = "SELECT * FROM ResMemInfo";
inline constexpr std::string_view kMemoryBoardQuery =
    "SELECT CartID, NumModules, CartStatus, Removable, CartError, CartPIRN FROM MemoryBoardInfo";
inline constexpr std::string_view kDimmQuery = "SELECT * FROM MemoryDIMMInfo";

// One sensor per processor the operating system reports, numbered from the counter, which
// stays where it is. The processor objects are asked for once per inventory and kept; a query
// that returned nothing is tried again at the next build.
bool BuildProcessorSensors(SensorInventory& inventory, HealthDataSource& health,
                           ProcessorInfoSource& processors, std::uint8_t& counter);

// The recovery timer from the first ASRInfo object; the counter moves on by the object count.
bool BuildAsrSensor(SensorInventory& inventory, HealthDataSource& health, std::uint8_t& counter);

// One sensor per identification light.
bool BuildUidLightSensors(SensorInventory& inventory, HealthDataSource& health,
                          std::uint8_t& counter);

// Seven fixed records owned by the system firmware or the management software; those not
// shown as sensors exist for the event log to attach events to.
bool BuildFirmwareSensors(SensorInventory& inventory, HealthDataSource& health,
                          std::uint8_t& counter);

// One protection sensor per memory subsystem. Stops with false at the first subsystem that is
// not present, keeping the records already added and leaving the counter alone.
bool BuildMemorySubsystemSensors(SensorInventory& inventory, HealthDataSource& health,
                                 std::uint8_t& counter);

// A board sensor per memory cartridge (the system board when there is exactly one), then a
// power-interlock sensor per cartridge. False, with nothing added, when no memory subsystem is
// present.
bool BuildMemoryBoardSensors(SensorInventory& inventory, HealthDataSource& health,
                             std::uint8_t& counter);

// A sensor per DIMM socket of every cartridge. False, with nothing added, when no memory
// subsystem is present.
bool BuildDimmSensors(SensorInventory& inventory, HealthDataSource& health, std::uint8_t& counter);

}  // namespace norv
