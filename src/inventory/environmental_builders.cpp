#include "inventory/environmental_builders.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "inventory/redundancy_group.h"
#include "inventory/sensor_kind.h"
#include "inventory/sensor_record.h"
#include "inventory/vocabulary.h"

namespace norv {
namespace {

// Event/reading types beside those of the vocabulary.
constexpr std::uint32_t kReadingAvailability = 0x0A;
constexpr std::uint32_t kReadingRedundancy = 0x0B;

// Entity codes of the records that do not take theirs from a locale.
constexpr std::uint32_t kEntityPowerSupply = 0x0A;
constexpr std::uint32_t kEntityPowerUnit = 0x13;
constexpr std::uint32_t kEntityCoolingUnit = 0x1E;

// State masks (bit n = state offset n).
constexpr std::uint16_t kGroupStates = 0x27;           // 0, 1, 2, 5
constexpr std::uint16_t kPowerSubsystemStates = 0xFF;  // 0..7
constexpr std::uint16_t kFanStates = 0xDC;             // 2, 3, 4, 6, 7
constexpr std::uint16_t kPowerSupplyStates = 0x47;     // 0, 1, 2, 6

// Temperatures are kept in tenths of a degree Celsius.
constexpr std::int32_t kTenths = -1;
constexpr std::int32_t kMaxReadableTenths = 1270;
constexpr std::int32_t kMinReadableTenths = 0;
constexpr std::int32_t kNormalMaxTenths = 1000;
constexpr std::int32_t kNormalMinTenths = 60;
constexpr std::int32_t kNominalOffsetDegrees = 20;

// The one threshold of a temperature sensor, chosen by the first action flag that is set,
// and the state offset it reads when the sensor is over it.
enum class TemperatureAction { ImmediatePowerOff, ShutdownGracefully, None };

struct TemperatureThreshold {
    TemperatureAction action;
    void (SensorRecord::*setThreshold)(std::int32_t);
    std::uint8_t overState;
};

constexpr std::array<TemperatureThreshold, 3> kTemperatureThresholds = {{
    {TemperatureAction::ImmediatePowerOff, &SensorRecord::SetUpperNonRecoverable, 5},
    {TemperatureAction::ShutdownGracefully, &SensorRecord::SetUpperCritical, 4},
    {TemperatureAction::None, &SensorRecord::SetUpperNonCritical, 3},
}};

// Fan states of a present, working fan by FanSpeed; any other speed reads "Deasserted".
struct FanSpeedState {
    std::uint8_t fanSpeed;
    std::uint8_t state;
};

constexpr std::array<FanSpeedState, 3> kFanSpeedStates = {{
    {1, 7},  // "Transition to Power Save"
    {2, 3},  // "Transition to On Line"
    {3, 4},  // "Transition to Off Line"
}};

constexpr std::uint8_t kFanFailedState = 6;  // "Transition to Degraded"

constexpr std::uint8_t kPowerSupplyPresentState = 0;  // "Presence detected"
constexpr std::uint8_t kPowerSupplyFailedState = 1;   // "Power Supply Failure detected"

// A power-supply member has no place in a member mask.
constexpr std::uint32_t kNoMemberNumber = 255;

std::uint8_t Wrap8(std::uint32_t value) {
    return static_cast<std::uint8_t>(value & 0xFFu);
}

// counter + offset - 1, as the platform numbers its sensors from 1.
std::uint8_t NumberFrom(std::uint8_t base, std::uint32_t oneBasedIndex) {
    return Wrap8(base + oneBasedIndex - 1u);
}

void Advance(std::uint8_t& counter, std::size_t by) {
    counter = Wrap8(counter + static_cast<std::uint32_t>(by));
}

// Degrees to tenths, wrapping like the 32-bit platform arithmetic rather than overflowing.
std::int32_t Tenths(std::int64_t degrees) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(degrees * 10));
}

// Every record of these builders is owned by the management controller.
SensorRecord ControllerOwnedRecord() {
    SensorRecord record;
    record.SetOwnerId(0);
    record.SetOwnerLun(0);
    return record;
}

// Undoes a builder's run after a key property could not be read.
bool Abandon(SensorInventory& inventory, std::size_t appended) {
    for (std::size_t i = 0; i < appended; ++i) {
        inventory.RemoveLast();
    }
    inventory.SetValid(false);
    return false;
}

const TemperatureThreshold& ThresholdFor(bool immediatePowerOff, bool shutdownGracefully) {
    const TemperatureAction action = immediatePowerOff    ? TemperatureAction::ImmediatePowerOff
                                     : shutdownGracefully ? TemperatureAction::ShutdownGracefully
                                                          : TemperatureAction::None;
    return *std::find_if(kTemperatureThresholds.begin(), kTemperatureThresholds.end(),
                         [action](const TemperatureThreshold& t) { return t.action == action; });
}

std::uint8_t FanState(bool fanPresent, bool physicallyFailed, std::uint8_t fanSpeed) {
    if (!fanPresent) {
        return kStateDeasserted;
    }
    if (physicallyFailed) {
        return kFanFailedState;
    }
    for (const FanSpeedState& entry : kFanSpeedStates) {
        if (entry.fanSpeed == fanSpeed) {
            return entry.state;
        }
    }
    return kStateDeasserted;
}

// The record of a fan group, shared fan group or power group, numbered by its group id,
// which is also its entity instance.
SensorRecord GroupRecord(const RedundancyGroup& group, std::uint8_t base, std::uint32_t sensorType,
                         std::uint32_t entityId) {
    SensorRecord record = ControllerOwnedRecord();
    record.SetSensorNumber(NumberFrom(base, group.groupId));
    record.SetSensorType(sensorType);
    record.SetEntityId(entityId);
    record.SetEntityInstance(group.groupId);
    record.SetEventReadingType(kReadingRedundancy);
    record.AddStates(kGroupStates);
    record.SetCurrentState(RedundancyState(group));
    return record;
}

SensorRecord FanGroupRecord(const RedundancyGroup& group, std::uint8_t base, SensorKind kind) {
    SensorRecord record = GroupRecord(group, base, kSensorTypeFan, kEntityCoolingUnit);
    record.SetPresent(1);
    // The member mask is the record's key; the name prints the group id.
    record.SetName(kind, Wrap8(group.memberMask),
                   Wrap8(static_cast<std::uint32_t>(group.memberMask) >> 8u), Wrap8(group.groupId));
    return record;
}

// Reads a group member's id and minimums, each defaulting to 0.
void AddMemberFrom(HealthDataSource& source, const HealthObject& object,
                   std::string_view groupIdName, std::string_view minForRedundancyName,
                   std::string_view minToRunName, bool healthy, std::uint32_t memberNumber,
                   RedundancyGroupList& groups) {
    std::int32_t groupId = 0;
    std::int32_t minForRedundancy = 0;
    std::int32_t minToRun = 0;
    source.ReadInt32(object, groupIdName, groupId);
    source.ReadInt32(object, minForRedundancyName, minForRedundancy);
    source.ReadInt32(object, minToRunName, minToRun);
    AddMember(groups, static_cast<std::uint32_t>(groupId), minForRedundancy, minToRun, healthy,
              memberNumber);
}

}  // namespace

bool BuildTemperatureSensors(SensorInventory& inventory, HealthDataSource& source,
                             std::uint8_t& counter) {
    const HealthObjectList objects = source.Query(kHealthNamespace, kTemperatureQuery);
    const std::uint8_t base = counter;
    Advance(counter, objects.size());

    std::size_t appended = 0;
    for (const auto& object : objects) {
        bool present = false;
        std::uint8_t number = 0;
        source.ReadBool(*object, "TempPresent", present);
        if (!source.ReadUInt8(*object, "TempNumber", number) && present) {
            return Abandon(inventory, appended);
        }
        std::uint8_t locale = 0;
        std::int32_t celsius = 0;
        std::int32_t threshold = 0;
        bool immediatePowerOff = false;
        bool overThreshold = false;
        bool shutdownGracefully = false;
        source.ReadUInt8(*object, "TempLocale", locale);
        source.ReadInt32(*object, "TempCelsius", celsius);
        source.ReadInt32(*object, "TempThreshold", threshold);
        source.ReadBool(*object, "TempImmediatePowerOff", immediatePowerOff);
        source.ReadBool(*object, "TempOverThreshold", overThreshold);
        source.ReadBool(*object, "TempShutdownGracefully", shutdownGracefully);

        SensorRecord record = ControllerOwnedRecord();
        record.SetPresent(present ? 1 : 0);
        record.SetSensorNumber(NumberFrom(base, number));
        record.SetSensorType(kSensorTypeTemperature);
        record.SetEventReadingType(kReadingThreshold);
        record.SetName(SensorKind::Temperature, number, kNoNumber, kNoNumber);
        record.SetEntityId(LocaleToEntity(locale));
        record.SetEntityInstance(0);

        record.SetBaseUnits(kCimUnitsDegreesCelsius);
        record.SetUnitModifier(kTenths);
        record.SetRateUnits(kCimRateUnitsNone);
        record.SetCurrentReading(std::min(Tenths(celsius), kMaxReadableTenths));
        record.SetNominalReading(Tenths((std::int64_t{threshold} + kNominalOffsetDegrees) / 2));
        record.SetNormalMax(kNormalMaxTenths);
        record.SetNormalMin(kNormalMinTenths);
        record.SetMaxReadable(kMaxReadableTenths);
        record.SetMinReadable(kMinReadableTenths);

        const TemperatureThreshold& kind = ThresholdFor(immediatePowerOff, shutdownGracefully);
        (record.*kind.setThreshold)(Tenths(threshold));
        record.SetCurrentState(overThreshold ? kind.overState : kStateOk);

        inventory.Append(record);
        ++appended;
    }
    return true;
}

bool BuildFanGroupSensors(SensorInventory& inventory, HealthDataSource& source,
                          std::uint8_t& counter) {
    const HealthObjectList objects = source.Query(kHealthNamespace, kFanGroupQuery);
    const std::uint8_t base = counter;

    RedundancyGroupList redundantGroups;
    RedundancyGroupList sharedGroups;
    for (const auto& object : objects) {
        bool present = false;
        bool failed = false;
        std::uint8_t locale = 0;
        bool redundancyCapable = false;
        source.ReadBool(*object, "FanPresent", present);
        source.ReadBool(*object, "FanPhysicallyFailed", failed);
        source.ReadUInt8(*object, "FanLocale", locale);
        source.ReadBool(*object, "FanRedCapable", redundancyCapable);
        const bool healthy = present && !failed;
        if (redundancyCapable) {
            AddMemberFrom(source, *object, "FanRedGroupId", "FanMinReqForRedundancy",
                          "FanMinReqToRun", healthy, locale, redundantGroups);
        }
        bool sharedCapable = false;
        source.ReadBool(*object, "FanSharedGroupingCapable", sharedCapable);
        if (sharedCapable) {
            AddMemberFrom(source, *object, "FanSharedRedGroupId", "FanSharedMinReqForRedundancy",
                          "FanSharedMinReqToRun", healthy, locale, sharedGroups);
        }
    }

    for (const RedundancyGroup& group : redundantGroups) {
        inventory.Append(FanGroupRecord(group, base, SensorKind::FanGroup));
    }
    const std::uint8_t sharedBase =
        Wrap8(base + static_cast<std::uint32_t>(redundantGroups.size()));
    for (const RedundancyGroup& group : sharedGroups) {
        inventory.Append(FanGroupRecord(group, sharedBase, SensorKind::FanSharedGroup));
    }
    Advance(counter, std::max(objects.size(), redundantGroups.size() + sharedGroups.size()));
    return true;
}

bool BuildFanSensors(SensorInventory& inventory, HealthDataSource& source, std::uint8_t& counter) {
    const HealthObjectList objects = source.Query(kHealthNamespace, kFanQuery);
    const std::uint8_t base = counter;
    Advance(counter, objects.size());

    std::size_t appended = 0;
    for (const auto& object : objects) {
        std::int32_t index = 0;
        if (!source.ReadInt32(*object, "FanIndex", index)) {
            return Abandon(inventory, appended);
        }
        std::uint8_t locale = 0;
        bool present = false;
        bool failed = false;
        std::uint8_t speed = 0;
        source.ReadUInt8(*object, "FanLocale", locale);
        source.ReadBool(*object, "FanPresent", present);
        source.ReadBool(*object, "FanPhysicallyFailed", failed);
        source.ReadUInt8(*object, "FanSpeed", speed);

        const auto fanIndex = static_cast<std::uint32_t>(index);
        SensorRecord record = ControllerOwnedRecord();
        // An absent fan is still shown, in state "Deasserted".
        record.SetPresent(1);
        record.SetSensorNumber(NumberFrom(base, fanIndex));
        record.SetSensorType(kSensorTypeFan);
        record.SetName(SensorKind::Fan, Wrap8(fanIndex), kNoNumber, kNoNumber);
        record.SetEntityId(LocaleToEntity(locale));
        record.SetEntityInstance(0);
        record.SetEventReadingType(kReadingAvailability);
        record.AddStates(kFanStates);
        record.SetCurrentState(FanState(present, failed, speed));

        inventory.Append(record);
        ++appended;
    }
    return true;
}

bool BuildPowerRedundancySensors(SensorInventory& inventory, HealthDataSource& source,
                                 std::uint8_t& counter) {
    const HealthObjectList objects = source.Query(kHealthNamespace, kPowerRedundancyQuery);

    RedundancyGroupList groups;
    for (const auto& object : objects) {
        bool present = false;
        bool failed = false;
        bool redundancyCapable = false;
        source.ReadBool(*object, "PowerSupplyPresent", present);
        source.ReadBool(*object, "PowerSupplyFailed", failed);
        source.ReadBool(*object, "PowerSupplyRedCapable", redundancyCapable);
        if (redundancyCapable) {
            AddMemberFrom(source, *object, "PowerSupplyRedGroupId",
                          "PowerSupplyMinReqForRedundancy", "PowerSupplyMinReqToRun",
                          present && !failed, kNoMemberNumber, groups);
        }
    }

    SensorRecord subsystem = ControllerOwnedRecord();
    subsystem.SetPresent(groups.empty() ? 0 : 1);
    subsystem.SetSensorNumber(counter);
    subsystem.SetSensorType(kSensorTypePowerSupply);
    subsystem.SetName(SensorKind::PowerSubsystem, kNoNumber, kNoNumber, kNoNumber);
    subsystem.SetEntityId(kEntityPowerUnit);
    subsystem.SetEntityInstance(0);
    subsystem.SetEventReadingType(kReadingRedundancy);
    subsystem.AddStates(kPowerSubsystemStates);
    subsystem.SetCurrentState(SubsystemRedundancyState(groups));
    inventory.Append(subsystem);
    Advance(counter, 1);

    // A single group is the subsystem itself, so its own sensor is only kept for the log.
    const std::uint8_t base = counter;
    for (const RedundancyGroup& group : groups) {
        SensorRecord record = GroupRecord(group, base, kSensorTypePowerSupply, kEntityPowerUnit);
        record.SetPresent(groups.size() >= 2 ? 1 : 0);
        record.SetName(SensorKind::PowerGroup, Wrap8(group.groupId), kNoNumber, kNoNumber);
        inventory.Append(record);
    }
    Advance(counter, std::max(objects.size(), groups.size()));
    return true;
}

bool BuildPowerSupplySensors(SensorInventory& inventory, HealthDataSource& source,
                             std::uint8_t& counter) {
    const HealthObjectList objects = source.Query(kHealthNamespace, kPowerSupplyQuery);
    if (objects.empty()) {
        return true;
    }
    const std::uint8_t base = counter;
    std::uint8_t maximumId = 0;
    source.ReadUInt8(*objects.front(), "MaximumPowerSupplyID", maximumId);
    Advance(counter, maximumId);

    std::size_t appended = 0;
    for (const auto& object : objects) {
        std::uint8_t number = 0;
        if (!source.ReadUInt8(*object, "PowerSupplyNumber", number)) {
            return Abandon(inventory, appended);
        }
        bool present = false;
        bool failed = false;
        source.ReadBool(*object, "PowerSupplyPresent", present);
        source.ReadBool(*object, "PowerSupplyFailed", failed);

        SensorRecord record = ControllerOwnedRecord();
        // An absent power supply is still shown, in state "Deasserted".
        record.SetPresent(1);
        record.SetSensorNumber(NumberFrom(base, number));
        record.SetSensorType(kSensorTypePowerSupply);
        record.SetName(SensorKind::PowerSupply, number, kNoNumber, kNoNumber);
        record.SetEntityId(kEntityPowerSupply);
        record.SetEntityInstance(number);
        record.SetEventReadingType(kReadingSensorSpecific);
        record.AddStates(kPowerSupplyStates);
        record.SetCurrentState(!present ? kStateDeasserted
                               : failed ? kPowerSupplyFailedState
                                        : kPowerSupplyPresentState);
        inventory.Append(record);
        ++appended;
    }
    return true;
}

}  // namespace norv
