// The log areas the event-log benchmarks read: a full 32768-byte area of short entries built
// in code from events that map to sensors of the default platform's inventory, and that
// inventory with the time-zone rules the records' date-times are converted under.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "eventlog/time_zone_rules.h"
#include "inventory/sensor_inventory.h"

namespace norv::bench {

struct LogArea {
    std::vector<std::uint8_t> bytes;
    std::int32_t reportedSize = 0;
    std::size_t entries = 0;  // the entries the area holds
};

// As many short events as fit a full area after its header, the first wrapAfter of them
// at the area's end. The events run over every event class, and all of them map to the
// default inventory.
LogArea FullLogArea(std::uint32_t wrapAfter);

// Central European rules: daylight time from the last Sunday of March to that of October.
TimeZoneRules BenchTimeZone();

// The default platform's inventory, built once.
const SensorInventory& DefaultInventory();

}  // namespace norv::bench
