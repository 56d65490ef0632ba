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
    std::vector<std::size_t> newRecords;  // indices into the current records, in log order
    std::vector<SensorChange> sensorChanges;
    std::vector<SensorChange> numericSensorChanges;

    bool Empty() const {
        return newRecords.empty() && sensorChanges.empty() && numericSensorChanges.empty();
    }
};

// No previous snapshot: the current one is the baseline and raises nothing. A part (the log,
// the sensors) that either snapshot did not read raises nothing either.
//
// An entry is new when its identity was not in the previous log; an entry present n times
// before and m > n times now gives its last m - n places. Entries that only moved because
// older ones were dropped raise nothing. A new entry raises its record when it maps to one;
// an old entry that maps for the first time is not new.
//
// A sensor is matched by DeviceID among the entries that are shown (present), the first
// entry of an id standing for it. Changes come in the current list's order, then the
// disappearances in the previous list's order.
HardwareEvents DetectHardwareEvents(const HardwareSnapshot* previous,
                                    const HardwareSnapshot& current);

// The snapshot each tick is compared with. A part of a tick's snapshot that was not read keeps
// the baseline's, so a failed read is neither "everything went away" nor, at the next good
// read, "everything is new"; a part read for the first time becomes the baseline's part. The
// same holds for the sensors of one read of the inventory build (a health class refused or
// timed out): they keep the baseline's, and a read that runs for the first time gives the
// baseline its sensors.
class EventBaseline {
public:
    // The events of `current` against the baseline; `current`, completed from the baseline
    // where it was not read, becomes the baseline and the old one Previous().
    HardwareEvents Advance(HardwareSnapshot current);

    const HardwareSnapshot& Current() const noexcept { return current_; }
    const HardwareSnapshot& Previous() const noexcept { return previous_; }
    void Reset() { *this = EventBaseline{}; }

private:
    HardwareSnapshot previous_;
    HardwareSnapshot current_;
};

}  // namespace norv
