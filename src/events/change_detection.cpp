#include "events/change_detection.h"

#include <algorithm>
#include <span>
#include <string_view>
#include <unordered_map>

#include "events/threshold_band.h"

namespace norv {

namespace {

std::vector<std::size_t> NewRecords(std::span<const SeenLogEntry> previous,
                                    std::span<const SeenLogEntry> current) {
    std::unordered_map<std::string_view, std::size_t> seenBefore;
    for (const SeenLogEntry& logged : previous) ++seenBefore[logged.identity];
    std::vector<std::size_t> added;
    for (const SeenLogEntry& logged : current) {
        const auto found = seenBefore.find(logged.identity);
        if (found != seenBefore.end() && found->second > 0) {
            --found->second;
        } else if (logged.mapped != kNotMapped) {
            added.push_back(logged.mapped);
        }
    }
    return added;
}

bool SameState(const SensorInstanceData& before, const SensorInstanceData& now) {
    return before.Has(SensorInstanceBits::kCurrentStateBit) ==
               now.Has(SensorInstanceBits::kCurrentStateBit) &&
           before.currentState == now.currentState;
}

bool SameState(const NumericSensorInstanceData& before, const NumericSensorInstanceData& now) {
    return before.Has(NumericSensorInstanceBits::kCurrentStateBit) ==
               now.Has(NumericSensorInstanceBits::kCurrentStateBit) &&
           before.currentState == now.currentState &&
           ThresholdBandOf(before) == ThresholdBandOf(now);
}

// The first shown entry of each DeviceID.
template <typename Entry>
std::unordered_map<std::string_view, std::size_t> ShownById(std::span<const Entry> entries) {
    std::unordered_map<std::string_view, std::size_t> shown;
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (entries[index].present != 0) shown.try_emplace(entries[index].deviceId, index);
    }
    return shown;
}

template <typename Entry>
std::vector<SensorChange> SensorChanges(std::span<const Entry> previous,
                                        std::span<const Entry> current) {
    const auto before = ShownById(previous);
    const auto now = ShownById(current);
    std::vector<SensorChange> changes;
    for (std::size_t index = 0; index < current.size(); ++index) {
        const auto self = now.find(current[index].deviceId);
        if (self == now.end() || self->second != index) continue;
        const auto old = before.find(current[index].deviceId);
        if (old == before.end()) {
            changes.push_back({SensorChangeKind::Appeared, kNoEntry, index});
        } else if (!SameState(previous[old->second], current[index])) {
            changes.push_back({SensorChangeKind::State, old->second, index});
        }
    }
    for (std::size_t index = 0; index < previous.size(); ++index) {
        const auto self = before.find(previous[index].deviceId);
        if (self == before.end() || self->second != index) continue;
        if (!now.contains(previous[index].deviceId)) {
            changes.push_back({SensorChangeKind::Disappeared, index, kNoEntry});
        }
    }
    return changes;
}

// The entries of `into` made by the reads in `reads` give way to those of `from`, in build
// order (reads in their order, each read's entries in list order).
template <typename Entry>
void TakeEntriesOf(const HealthReads& reads, std::vector<Entry>& into,
                   const std::vector<Entry>& from) {
    const auto ofReads = [&reads](const Entry& entry) { return reads.test(IndexOf(entry.readFrom)); };
    std::erase_if(into, ofReads);
    for (const Entry& entry : from) {
        if (ofReads(entry)) into.push_back(entry);
    }
    std::stable_sort(into.begin(), into.end(), [](const Entry& left, const Entry& right) {
        return left.readFrom < right.readFrom;
    });
}

void TakeSensorsOf(const HealthReads& reads, HardwareSnapshot& into, const HardwareSnapshot& from) {
    if (reads.none()) return;
    TakeEntriesOf(reads, into.sensors, from.sensors);
    TakeEntriesOf(reads, into.numericSensors, from.numericSensors);
}

}  // namespace

HardwareEvents DetectHardwareEvents(const HardwareSnapshot* previous,
                                    const HardwareSnapshot& current) {
    HardwareEvents events;
    if (!previous) return events;
    if (previous->logRead && current.logRead) {
        events.newRecords = NewRecords(previous->log, current.log);
    }
    if (previous->sensorsRead && current.sensorsRead) {
        events.sensorChanges =
            SensorChanges<SensorInstanceData>(previous->sensors, current.sensors);
        events.numericSensorChanges = SensorChanges<NumericSensorInstanceData>(
            previous->numericSensors, current.numericSensors);
    }
    return events;
}

HardwareEvents EventBaseline::Advance(HardwareSnapshot current) {
    if (!current.logRead && current_.logRead) {
        current.log = current_.log;
        current.records = current_.records;
        current.logRead = true;
    }
    if (!current.sensorsRead && current_.sensorsRead) {
        current.sensors = current_.sensors;
        current.numericSensors = current_.numericSensors;
        current.sensorReadsNotRun = current_.sensorReadsNotRun;
        current.sensorsRead = true;
    } else if (current.sensorsRead && current_.sensorsRead) {
        // A read that did not run now keeps the baseline's sensors; one that runs for the
        // first time gives the baseline its sensors, as a first read of the whole part does.
        const HealthReads firstRun = current_.sensorReadsNotRun & ~current.sensorReadsNotRun;
        TakeSensorsOf(current.sensorReadsNotRun, current, current_);
        TakeSensorsOf(firstRun, current_, current);
        current.sensorReadsNotRun &= current_.sensorReadsNotRun;
    }
    HardwareEvents events = DetectHardwareEvents(&current_, current);
    previous_ = std::move(current_);
    current_ = std::move(current);
    return events;
}

}  // namespace norv
