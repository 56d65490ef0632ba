// The events between two snapshots of the hardware: the records the log gained and the
// sensors whose state or presence changed. A pure function, so that the monitoring worker
// only gathers snapshots and delivers what this decides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "events/hardware_snapshot.h"

namespace norv {

inline constexpr std::size_t kNoEntry = std::numeric_limits<std::size_t>::max();

enum class SensorChangeKind : std::uint8_t {
    State,        // present in both, CurrentState (or a numeric reading's band) differs
    Appeared,     // shown now, not before
    Disappeared,  // shown before, not now
};

// One change of a sensor: indices into the previous and the current list of its class;
// kNoEntry on the side where the sensor is not shown.
struct SensorChange {
    SensorChangeKind kind = SensorChangeKind::State;
    std::size_t previous = kNoEntry;
    std::size_t current = kNoEntry;

    bool operator==(const SensorChange&) const = default;
};

struct HardwareEvents {
    std::vector<std::size_t> newRecords;  // indices into the current log, in log order
    std::vector<SensorChange> sensorChanges;
    std::vector<SensorChange> numericSensorChanges;

    bool Empty() const {
        return newRecords.empty() && sensorChanges.empty() && numericSensorChanges.empty();
    }
};

// No previous snapshot: the current one is the baseline and raises nothing.
//
// A record is new when its entry was not in the previous log; an entry present n times
// before and m > n times now gives its last m - n places. Entries that only moved because
// older ones were dropped raise nothing.
//
// A sensor is matched by DeviceID among the entries that are shown (present), the first
// entry of an id standing for it. Changes come in the current list's order, then the
// disappearances in the previous list's order.
HardwareEvents DetectHardwareEvents(const HardwareSnapshot* previous,
                                    const HardwareSnapshot& current);

}  // namespace norv
