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
    // Runs one builder and marks its records and whether all its queries ran.
    const auto step = [&](HealthRead read, auto&& build) {
        const std::size_t first = inventory.Count();
        const std::size_t notRunBefore = health.QueriesNotRun();
        build();
        inventory.MarkRead(first, read, health.QueriesNotRun() == notRunBefore);
    };
    std::uint8_t counter = kFirstProcessorNumber;
    step(HealthRead::Processors,
         [&] { BuildProcessorSensors(inventory, health, processors, counter); });

    counter = kFirstTemperatureNumber;
    step(HealthRead::Temperatures, [&] { BuildTemperatureSensors(inventory, health, counter); });

    counter = NextMultipleOfTen(counter);
    step(HealthRead::FanGroups, [&] { BuildFanGroupSensors(inventory, health, counter); });
    step(HealthRead::Fans, [&] { BuildFanSensors(inventory, health, counter); });

    counter = NextMultipleOfTen(counter);
    step(HealthRead::PowerGroups,
         [&] { BuildPowerRedundancySensors(inventory, health, counter); });
    step(HealthRead::PowerSupplies, [&] { BuildPowerSupplySensors(inventory, health, counter); });

    counter = NextMultipleOfTen(counter);
    step(HealthRead::Asr, [&] { BuildAsrSensor(inventory, health, counter); });
    step(HealthRead::UidLights, [&] { BuildUidLightSensors(inventory, health, counter); });

    counter = kFirstFirmwareNumber;
    step(HealthRead::Firmware, [&] { BuildFirmwareSensors(inventory, health, counter); });

    counter = NextMultipleOfTen(counter);
    step(HealthRead::MemorySubsystem,
         [&] { BuildMemorySubsystemSensors(inventory, health, counter); });
    step(HealthRead::MemoryBoards, [&] { BuildMemoryBoardSensors(inventory, health, counter); });

    counter = NextMultipleOfTen(counter);
    step(HealthRead::Dimms, [&] { BuildDimmSensors(inventory, health, counter); });

    inventory.SetValid(true);
    return inventory.Valid();
}

}  // namespace norv
