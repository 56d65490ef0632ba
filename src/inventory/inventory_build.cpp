#include "inventory/inventory_build.h"

#include "inventory/environmental_builders.h"
#include "inventory/system_builders.h"

namespace norv {
namespace {

constexpr std::uint8_t kFirstProcessorNumber = 1;
constexpr std::uint8_t kFirstTemperatureNumber = 10;
constexpr std::uint8_t kFirstFirmwareNumber = 1;

}  // namespace

std::uint8_t NextMultipleOfTen(std::uint8_t counter) {
    return static_cast<std::uint8_t>(((counter / 10u + 1u) * 10u) & 0xFFu);
}

bool BuildInventory(SensorInventory& inventory, HealthDataSource& health,
                    ProcessorInfoSource& processors) {
    inventory.Clear();
    std::uint8_t counter = kFirstProcessorNumber;
    BuildProcessorSensors(inventory, health, processors, counter);

    counter = kFirstTemperatureNumber;
    BuildTemperatureSensors(inventory, health, counter);

    counter = NextMultipleOfTen(counter);
    BuildFanGroupSensors(inventory, health, counter);
    BuildFanSensors(inventory, health, counter);

    counter = NextMultipleOfTen(counter);
    BuildPowerRedundancySensors(inventory, health, counter);
    BuildPowerSupplySensors(inventory, health, counter);

    counter = NextMultipleOfTen(counter);
    BuildAsrSensor(inventory, health, counter);
    BuildUidLightSensors(inventory, health, counter);

    counter = kFirstFirmwareNumber;
    BuildFirmwareSensors(inventory, health, counter);

    counter = NextMultipleOfTen(counter);
    BuildMemorySubsystemSensors(inventory, health, counter);
    BuildMemoryBoardSensors(inventory, health, counter);

    counter = NextMultipleOfTen(counter);
    BuildDimmSensors(inventory, health, counter);

    inventory.SetValid(true);
    return inventory.Valid();
}

}  // namespace norv
