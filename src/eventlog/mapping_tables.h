// Which management-log events become SEL events, and as what: one row per event class and
// event code, some rows with a sub-table chosen by one of the entry's data bytes. The
// tables are constant data, complete at compile time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "inventory/sensor_kind.h"

namespace norv {

// The class table has a slot for each event class below this.
inline constexpr std::size_t kEventClassCount = 38;

// A row with this sensor kind is not mapped.
inline constexpr SensorKind kUnmappedKind = static_cast<SensorKind>(255);

enum class EventDirection : std::uint8_t {
    Assertion = 0,
    Deassertion = 1,
};

// How event data 2 and 3 are filled beyond their defaults (0xFF, unused).
enum class EventDataRule : std::uint8_t {
    Defaults,
    ClassRule,   // the event class's own rule
    OkSeverity,  // status 6 gives the "Transition to OK" severity form of event data 2
};

struct SubTable;

struct MappingRow {
    SensorKind sensorKind = kUnmappedKind;
    // A row with a sub-table only points to it; the chosen sub-row holds the mapping.
    const SubTable* subTable = nullptr;
    std::uint8_t sensorType = 0;
    std::uint8_t eventType = 0;
    std::uint8_t offset = 0;
    EventDirection direction = EventDirection::Assertion;
    EventDataRule dataRule = EventDataRule::Defaults;

    constexpr bool Mapped() const { return subTable != nullptr || sensorKind != kUnmappedKind; }
};

// Where the sub-key of a row with a sub-table comes from.
enum class SubKeyRule : std::uint8_t {
    DataByte,
    // Values 128..135 of the data byte are read as sub-keys 8..15; other values above 7
    // are not mapped.
    DataByteWithHighRange,
};

struct SubTable {
    std::uint8_t dataByte = 0;
    SubKeyRule rule = SubKeyRule::DataByte;
    // Indexed by sub-key; its size is the limit of the sub-key.
    std::span<const MappingRow> rows;
};

// The row of (eventClass, eventCode); nothing when the class has no table or the code is
// past its table. The row itself may still be unmapped.
const MappingRow* FindMappingRow(std::uint32_t eventClass, std::uint32_t eventCode);

}  // namespace norv
