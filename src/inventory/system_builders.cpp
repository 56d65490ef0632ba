#include "inventory/system_builders.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "inventory/sensor_kind.h"
#include "inventory/sensor_record.h"
#include "inventory/vocabulary.h"
#include "inventory/wrapping_search_index.h"
#include "platform/processor_topology.h"
#include "platform/socket_designation.h"

namespace norv {
namespace {

// Sensor owners.
constexpr std::uint32_t kOwnerController = 0x00;
constexpr std::uint32_t kOwnerFirmware = 0x01;
constexpr std::uint32_t kOwnerManagementSoftware = 0x41;

// Event/reading types beside those of the vocabulary.
constexpr std::uint32_t kReadingUsage = 0x02;
constexpr std::uint32_t kReadingAvailability = 0x0A;
constexpr std::uint32_t kReadingRedundancy = 0x0B;

// Sensor types beside those of the vocabulary.
constexpr std::uint32_t kSensorTypeProcessor = 0x07;
constexpr std::uint32_t kSensorTypeFirmwareProgress = 0x0F;
constexpr std::uint32_t kSensorTypeLoggingDisabled = 0x10;
constexpr std::uint32_t kSensorTypeCriticalInterrupt = 0x13;
constexpr std::uint32_t kSensorTypeOsStop = 0x20;
constexpr std::uint32_t kSensorTypeBattery = 0x29;

// Entity codes.
constexpr std::uint32_t kEntityUnspecified = 0x00;
constexpr std::uint32_t kEntityProcessor = 0x03;
constexpr std::uint32_t kEntitySystemBoard = 0x07;
constexpr std::uint32_t kEntityMemoryModule = 0x08;
constexpr std::uint32_t kEntityMemoryDevice = 0x20;
constexpr std::uint32_t kEntityBios = 0x22;

// ---- processors

constexpr std::uint16_t kProcessorStates = 0x7FF;  // 0..10
constexpr std::uint8_t kProcessorPresenceDetected = 7;

// ---- recovery timer and identification light

constexpr std::uint16_t kAsrStates = 0x10F;  // 0..3 and 8
constexpr std::uint16_t kUidLightStates = 0x07;

struct UidLightState {
    std::uint8_t lightState;  // UIDLightState
    std::uint8_t state;
};

// Any other light state reads "N/A".
constexpr std::array<UidLightState, 3> kUidLightStatesByValue = {{
    {1, 1},  // "Transition to Active"
    {2, 0},  // "Transition to Idle"
    {4, 2},  // "Transition to Busy"
}};

// ---- firmware and operating-system sensors

struct FirmwareSensor {
    SensorKind kind;
    std::uint32_t ownerId;
    bool numbered;  // numbered from the counter; the others carry sensor number 0
    std::uint32_t sensorType;
    std::uint32_t entityId;
    std::uint8_t present;
    std::uint16_t stateMask;
    std::uint8_t counterStep;
};

constexpr std::array<FirmwareSensor, 7> kFirmwareSensors = {{
    {SensorKind::PostError, kOwnerFirmware, true, kSensorTypeFirmwareProgress, kEntityBios, 1,
     0x007, 1},
    {SensorKind::Nmi, kOwnerFirmware, true, kSensorTypeCriticalInterrupt, kEntityUnspecified, 1,
     0x3FF, 1},
    {SensorKind::SlotNotify, kOwnerFirmware, true, kSensorTypeSlotConnector, kEntityUnspecified, 1,
     0x3FF, 1},
    {SensorKind::NetworkAdapters, kOwnerFirmware, true, kSensorTypeSlotConnector,
     kEntityUnspecified, 1, 0x3FF, 1},
    {SensorKind::Rtc, kOwnerFirmware, true, kSensorTypeBattery, kEntityUnspecified, 0, 0x007, 1},
    {SensorKind::LogMaintenance, kOwnerController, false, kSensorTypeLoggingDisabled,
     kEntityUnspecified, 0, 0x03F, 0},
    {SensorKind::OsStop, kOwnerManagementSoftware, false, kSensorTypeOsStop, kEntityUnspecified, 0,
     0x03F, 1},
}};

// ---- memory subsystem

struct MemoryState {
    std::uint32_t eventReadingType;
    std::uint8_t state;
};

// By MemorySubsystemStatus; the advanced column applies when mirroring, online spare or RAID
// is supported.
struct MemoryStatusRow {
    std::uint32_t status;
    MemoryState basic;
    MemoryState advanced;
};

constexpr MemoryState kOffLine = {kReadingAvailability, 4};           // "Transition to Off Line"
constexpr MemoryState kOnLine = {kReadingAvailability, 3};            // "Transition to On Line"
constexpr MemoryState kDegraded = {kReadingAvailability, 6};          // "Transition to Degraded"
constexpr MemoryState kInTest = {kReadingAvailability, 1};            // "Transition to In Test"
constexpr MemoryState kRedundancyLost = {kReadingRedundancy, 1};      // "Redundancy Lost"
constexpr MemoryState kFullyRedundant = {kReadingRedundancy, 0};      // "Fully Redundant"
constexpr MemoryState kRedundancyDegraded = {kReadingRedundancy, 2};  // "Redundancy Degraded"

constexpr std::array<MemoryStatusRow, 13> kMemoryStatusRows = {{
    {0, kOffLine, kOffLine},
    {1, kOnLine, kOnLine},
    {2, kDegraded, kDegraded},
    {3, kInTest, kInTest},
    {4, kOffLine, kRedundancyLost},
    {5, kFullyRedundant, kFullyRedundant},
    {6, kRedundancyDegraded, kRedundancyDegraded},
    {7, kFullyRedundant, kFullyRedundant},
    {8, kRedundancyDegraded, kRedundancyDegraded},
    {9, kFullyRedundant, kFullyRedundant},
    {10, kRedundancyDegraded, kRedundancyDegraded},
    {11, kOnLine, kOnLine},
    {12, kDegraded, kDegraded},
}};

// A status beyond the table: a sensor that is not shown.
constexpr MemoryState kUnknownMemoryState = {kReadingRedundancy, kStateNotApplicable};

// The states a memory-subsystem sensor can take follow its event/reading type.
struct MemoryStateMask {
    std::uint32_t eventReadingType;
    std::uint16_t stateMask;
};

constexpr std::array<MemoryStateMask, 2> kMemoryStateMasks = {{
    {kReadingRedundancy, 0xFF},    // 0..7
    {kReadingAvailability, 0x7B},  // 0, 1, 3, 4, 5, 6
}};

// A status that cannot be read is not taken for status 0 ("Transition to Off Line"): the
// sensor is then not shown rather than raising a false alarm.
constexpr std::int32_t kUnreadableMemoryStatus = -1;

// ---- memory cartridges

constexpr std::uint16_t kCartridgeStates = 0xFF;   // 0..7
constexpr std::uint16_t kInterlockStates = 0x3E7;  // 0, 1, 2, 5, 6, 7, 8, 9

struct ValueState {
    std::int32_t value;
    std::uint8_t state;
};

// By CartStatus; any other value reads "N/A".
constexpr std::array<ValueState, 2> kCartridgeStatusStates = {{
    {1, 4},  // "Memory Device Disabled"
    {2, 6},  // "Presence detected"
}};

// By CartPIRN; any other value leaves the interlock "Deasserted".
constexpr std::array<ValueState, 2> kInterlockStatesByPirn = {{
    {0, 7},  // "Interlock asserted"
    {1, 5},  // "Slot Power is Off"
}};

// A cartridge or module id that cannot be read matches no cartridge or module.
constexpr std::int32_t kUnreadableId = 256;

// The most cartridges and modules per cartridge that get sensors: numbers, names and entity
// instances are 8-bit, so further ones could only repeat keys already given out.
constexpr std::int32_t kMaxBoardNumber = 255;

// ---- DIMMs

constexpr std::uint16_t kDimmStates = 0x1FF;  // 0..8

// By the DIMM's Status, 0..10; above 10 reads "Deasserted".
constexpr std::array<std::uint8_t, 11> kDimmStatusStates = {
    kStateDeasserted,  // 0
    8,                 // 1  "Spare"
    6,                 // 2  "Presence detected"
    6,                 // 3
    6,                 // 4
    7,                 // 5  "Configuration error"
    7,                 // 6
    7,                 // 7
    7,                 // 8
    0,                 // 9  "Correctable ECC/other correctable memory error"
    7,                 // 10
};

// ---- helpers

std::uint8_t Wrap8(std::uint32_t value) {
    return static_cast<std::uint8_t>(value & 0xFFu);
}

void Advance(std::uint8_t& counter, std::uint32_t by) {
    counter = Wrap8(counter + by);
}

std::uint8_t StateByValue(std::span<const ValueState> table, std::int32_t value,
                          std::uint8_t otherwise) {
    for (const ValueState& entry : table) {
        if (entry.value == value) {
            return entry.state;
        }
    }
    return otherwise;
}

SensorRecord OwnedRecord(std::uint32_t ownerId) {
    SensorRecord record;
    record.SetOwnerId(ownerId);
    record.SetOwnerLun(0);
    return record;
}

bool ReadBool(HealthDataSource& health, const HealthObject& object, std::string_view property) {
    bool value = false;
    health.ReadBool(object, property, value);
    return value;
}

std::int32_t ReadInt(HealthDataSource& health, const HealthObject& object,
                     std::string_view property, std::int32_t otherwise = 0) {
    std::int32_t value = otherwise;
    health.ReadInt32(object, property, value);
    return value;
}

// The memory subsystem that the cartridge and DIMM builders need: the first ResMemInfo object,
// when it is present.
struct MemoryLayout {
    std::int32_t cartridges = 0;
    std::int32_t modules = 0;
};

std::optional<MemoryLayout> PresentMemory(HealthDataSource& health) {
    const HealthObjectList objects = health.Query(kHealthNamespace, kMemorySubsystemQuery);
    if (objects.empty() || !ReadBool(health, *objects.front(), "Present")) {
        return std::nullopt;
    }
    return MemoryLayout{ReadInt(health, *objects.front(), "NumberCartridges"),
                        ReadInt(health, *objects.front(), "NumberModules")};
}

// Cartridges are numbered from 1, except that a single one is the system board, number 0.
struct CartridgeRange {
    std::int32_t first = 1;
    std::int32_t last = 0;
};

CartridgeRange CartridgesOf(std::int32_t cartridges) {
    if (cartridges == 1) {
        return {0, 0};
    }
    return {1, std::min(cartridges, kMaxBoardNumber)};
}

}  // namespace

bool BuildProcessorSensors(SensorInventory& inventory, HealthDataSource& health,
                           ProcessorInfoSource& processors, std::uint8_t& counter) {
    const std::uint8_t base = counter;
    const ProcessorInfo info = processors.Read();
    if (!inventory.ProcessorsQueried()) {
        inventory.KeepProcessors(health.Query(kProcessorNamespace, kProcessorQuery));
    }
    if (!inventory.ProcessorsQueried()) {
        return true;
    }

    const HealthObjectList& objects = inventory.Processors();
    for (std::size_t index = 0; index < objects.size(); ++index) {
        const std::uint8_t i = Wrap8(static_cast<std::uint32_t>(index));
        std::string designation;
        health.ReadString(*objects[index], "SocketDesignation", designation);
        const ProcessorKey key = ProcessorKeyOf(info, i);

        SensorRecord record = OwnedRecord(kOwnerController);
        record.SetPresent(1);
        record.SetSensorNumber(Wrap8(base + std::uint32_t{i}));
        record.SetSensorType(kSensorTypeProcessor);
        record.SetEntityId(kEntityProcessor);
        record.SetEntityInstance(ParseNumberAfterKeyword(designation, kProcKeyword).value_or(0));
        record.SetEventReadingType(kReadingSensorSpecific);
        record.AddStates(kProcessorStates);
        record.SetCurrentState(kProcessorPresenceDetected);
        // The name counts the processors; slot and proc key the record for the event log.
        record.SetName(SensorKind::Cpu, key.slot, key.proc, i);
        inventory.Append(record);
    }
    return true;
}

bool BuildAsrSensor(SensorInventory& inventory, HealthDataSource& health, std::uint8_t& counter) {
    const HealthObjectList objects = health.Query(kHealthNamespace, kAsrQuery);
    if (!objects.empty()) {
        SensorRecord record = OwnedRecord(kOwnerController);
        record.SetPresent(1);
        record.SetSensorNumber(counter);
        record.SetSensorType(kSensorTypeWatchdog2);
        record.SetName(SensorKind::Asr, kNoNumber, kNoNumber, kNoNumber);
        record.SetEntityId(kEntityUnspecified);
        record.SetEntityInstance(0);
        record.SetEventReadingType(kReadingSensorSpecific);
        record.AddStates(kAsrStates);
        record.SetCurrentState(ReadBool(health, *objects.front(), "ASRIsEnabled")
                                   ? kStateNotApplicable
                                   : kStateDeasserted);
        inventory.Append(record);
    }
    Advance(counter, static_cast<std::uint32_t>(objects.size()));
    return true;
}

bool BuildUidLightSensors(SensorInventory& inventory, HealthDataSource& health,
                          std::uint8_t& counter) {
    const HealthObjectList objects = health.Query(kHealthNamespace, kUidLightQuery);
    const std::uint8_t base = counter;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        std::uint8_t lightState = 0;
        health.ReadUInt8(*objects[i], "UIDLightState", lightState);
        const auto* found = std::find_if(
            kUidLightStatesByValue.begin(), kUidLightStatesByValue.end(),
            [lightState](const UidLightState& s) { return s.lightState == lightState; });

        SensorRecord record = OwnedRecord(kOwnerController);
        record.SetPresent(1);
        record.SetSensorNumber(Wrap8(base + static_cast<std::uint32_t>(i)));
        record.SetSensorType(kSensorTypeOemFirst);
        record.SetName(SensorKind::UidLight, kNoNumber, kNoNumber, kNoNumber);
        record.SetEntityId(kEntityUnspecified);
        record.SetEntityInstance(0);
        record.SetEventReadingType(kReadingUsage);
        record.AddStates(kUidLightStates);
        record.SetCurrentState(found != kUidLightStatesByValue.end() ? found->state
                                                                     : kStateNotApplicable);
        inventory.Append(record);
    }
    Advance(counter, static_cast<std::uint32_t>(objects.size()));
    return true;
}

bool BuildFirmwareSensors(SensorInventory& inventory, HealthDataSource& /*health*/,
                          std::uint8_t& counter) {
    for (const FirmwareSensor& sensor : kFirmwareSensors) {
        SensorRecord record = OwnedRecord(sensor.ownerId);
        record.SetPresent(sensor.present);
        record.SetSensorNumber(sensor.numbered ? counter : 0u);
        record.SetSensorType(sensor.sensorType);
        record.SetName(sensor.kind, kNoNumber, kNoNumber, kNoNumber);
        record.SetEntityId(sensor.entityId);
        record.SetEntityInstance(0);
        record.SetEventReadingType(kReadingSensorSpecific);
        record.AddStates(sensor.stateMask);
        record.SetCurrentState(kStateNotApplicable);
        inventory.Append(record);
        Advance(counter, sensor.counterStep);
    }
    return true;
}

bool BuildMemorySubsystemSensors(SensorInventory& inventory, HealthDataSource& health,
                                 std::uint8_t& counter) {
    const HealthObjectList objects = health.Query(kHealthNamespace, kMemorySubsystemQuery);
    const std::uint8_t base = counter;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const HealthObject& object = *objects[i];
        if (!ReadBool(health, object, "Present")) {
            return false;
        }
        // Negative values are taken as unsigned, so they fall beyond the table.
        const auto status = static_cast<std::uint32_t>(
            ReadInt(health, object, "MemorySubsystemStatus", kUnreadableMemoryStatus));
        const bool advanced = ReadBool(health, object, "SupportsMirrored") ||
                              ReadBool(health, object, "SupportsOnlineSpare") ||
                              ReadBool(health, object, "SupportsRAID");
        const auto* row =
            std::find_if(kMemoryStatusRows.begin(), kMemoryStatusRows.end(),
                         [status](const MemoryStatusRow& r) { return r.status == status; });
        const bool known = row != kMemoryStatusRows.end();
        const MemoryState state = !known     ? kUnknownMemoryState
                                  : advanced ? row->advanced
                                             : row->basic;
        const auto* mask = std::find_if(kMemoryStateMasks.begin(), kMemoryStateMasks.end(),
                                        [&state](const MemoryStateMask& m) {
                                            return m.eventReadingType == state.eventReadingType;
                                        });

        SensorRecord record = OwnedRecord(kOwnerFirmware);
        record.SetPresent(known ? 1 : 0);
        record.SetSensorNumber(Wrap8(base + static_cast<std::uint32_t>(i)));
        record.SetSensorType(kSensorTypeMemory);
        record.SetName(SensorKind::AdvancedMemoryProtection, kNoNumber, kNoNumber, kNoNumber);
        record.SetEntityId(kEntityMemoryModule);
        record.SetEntityInstance(0);
        record.SetEventReadingType(state.eventReadingType);
        record.AddStates(mask->stateMask);
        record.SetCurrentState(state.state);
        inventory.Append(record);
    }
    Advance(counter, static_cast<std::uint32_t>(objects.size()));
    return true;
}

bool BuildMemoryBoardSensors(SensorInventory& inventory, HealthDataSource& health,
                             std::uint8_t& counter) {
    const std::optional<MemoryLayout> memory = PresentMemory(health);
    if (!memory) {
        return false;
    }
    const std::int32_t n = memory->cartridges;
    const std::uint8_t base = counter;
    Advance(counter, 2u * static_cast<std::uint32_t>(n));

    const HealthObjectList boards = health.Query(kHealthNamespace, kMemoryBoardQuery);
    // A board is found by its CartID while its CartStatus is not 0.
    const WrappingSearchIndex<std::int32_t> boardIndex(
        boards, [&](const HealthObject& object) -> std::optional<std::int32_t> {
            if (ReadInt(health, object, "CartStatus") == 0) return std::nullopt;
            return ReadInt(health, object, "CartID", kUnreadableId);
        });
    const CartridgeRange range = CartridgesOf(n);
    std::vector<SensorRecord> interlocks;
    for (std::int32_t k = range.first; k <= range.last; ++k) {
        const std::uint32_t ordinal = static_cast<std::uint32_t>(k - range.first);
        const std::uint8_t cartridge = Wrap8(static_cast<std::uint32_t>(k));
        const bool systemBoard = k == 0;

        SensorRecord board = OwnedRecord(kOwnerFirmware);
        board.SetPresent(1);
        board.SetSensorNumber(Wrap8(base + ordinal));
        board.SetSensorType(kSensorTypeMemory);
        board.SetEventReadingType(kReadingSensorSpecific);
        board.AddStates(kCartridgeStates);
        board.SetEntityId(systemBoard ? kEntitySystemBoard : kEntityMemoryModule);
        board.SetEntityInstance(cartridge);
        board.SetName(SensorKind::Cartridge, cartridge, kNoNumber, kNoNumber);
        board.SetCurrentState(kStateDeasserted);

        SensorRecord interlock = OwnedRecord(kOwnerFirmware);
        // The system board has no power interlock to show.
        interlock.SetPresent(systemBoard ? 0 : 1);
        interlock.SetSensorNumber(Wrap8(base + static_cast<std::uint32_t>(n - range.first + k)));
        interlock.SetSensorType(kSensorTypeSlotConnector);
        interlock.SetName(SensorKind::CartridgePirn, cartridge, kNoNumber, kNoNumber);
        interlock.SetEntityId(kEntityMemoryModule);
        interlock.SetEntityInstance(cartridge);
        interlock.SetEventReadingType(kReadingSensorSpecific);
        interlock.AddStates(kInterlockStates);
        interlock.SetCurrentState(kStateDeasserted);

        const HealthObject* found = boardIndex.Find(ordinal, k);
        if (found != nullptr) {
            board.SetCurrentState(StateByValue(kCartridgeStatusStates,
                                               ReadInt(health, *found, "CartStatus"),
                                               kStateNotApplicable));
            // An interlock that cannot be read is not taken for an asserted one.
            std::int32_t pirn = 0;
            if (health.ReadInt32(*found, "CartPIRN", pirn)) {
                interlock.SetCurrentState(
                    StateByValue(kInterlockStatesByPirn, pirn, kStateDeasserted));
            }
        }
        inventory.Append(board);
        interlocks.push_back(interlock);
    }
    for (const SensorRecord& interlock : interlocks) {
        inventory.Append(interlock);
    }
    return true;
}

bool BuildDimmSensors(SensorInventory& inventory, HealthDataSource& health, std::uint8_t& counter) {
    const std::optional<MemoryLayout> memory = PresentMemory(health);
    if (!memory) {
        return false;
    }
    const std::int32_t m = memory->modules;
    const std::uint8_t base = counter;
    Advance(counter,
            static_cast<std::uint32_t>(m) * static_cast<std::uint32_t>(memory->cartridges));

    const HealthObjectList dimms = health.Query(kHealthNamespace, kDimmQuery);
    // A present DIMM is found by its CartID and ModuleID.
    const WrappingSearchIndex<std::pair<std::int32_t, std::int32_t>> dimmIndex(
        dimms,
        [&](const HealthObject& object) -> std::optional<std::pair<std::int32_t, std::int32_t>> {
            if (ReadInt(health, object, "Present") != 1) return std::nullopt;
            return std::pair{ReadInt(health, object, "CartID", kUnreadableId),
                             ReadInt(health, object, "ModuleID", kUnreadableId)};
        });
    const CartridgeRange range = CartridgesOf(memory->cartridges);
    const std::int32_t lastModule = std::min(m, kMaxBoardNumber);
    for (std::int32_t k = range.first; k <= range.last; ++k) {
        for (std::int32_t module = 1; module <= lastModule; ++module) {
            const std::int64_t position = std::int64_t{k - range.first} * m + module;
            SensorRecord record = OwnedRecord(kOwnerFirmware);
            record.SetPresent(1);
            record.SetSensorNumber(Wrap8(base + static_cast<std::uint32_t>(position - 1)));
            record.SetSensorType(kSensorTypeMemory);
            record.SetName(SensorKind::CartridgeDimm, Wrap8(static_cast<std::uint32_t>(k)),
                           Wrap8(static_cast<std::uint32_t>(module)), kNoNumber);
            record.SetEntityId(kEntityMemoryDevice);
            record.SetEntityInstance(static_cast<std::uint32_t>(module));
            record.SetEventReadingType(kReadingSensorSpecific);
            record.AddStates(kDimmStates);
            record.SetCurrentState(kStateDeasserted);

            const HealthObject* found =
                dimmIndex.Find(static_cast<std::size_t>(position), std::pair{k, module});
            if (found != nullptr) {
                const auto status = static_cast<std::uint32_t>(ReadInt(health, *found, "Status"));
                record.SetCurrentState(status < kDimmStatusStates.size() ? kDimmStatusStates[status]
                                                                         : kStateDeasserted);
            }
            inventory.Append(record);
        }
    }
    return true;
}

}  // namespace norv
