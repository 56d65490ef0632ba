#include "events/change_detection.h"

#include <span>
#include <string_view>
#include <unordered_map>

#include "events/threshold_band.h"

namespace norv {

namespace {

std::vector<std::size_t> NewRecords(std::span<const LoggedEntry> previous,
                                    std::span<const LoggedEntry> current) {
    std::unordered_map<std::string_view, std::size_t> seenBefore;
    for (const LoggedEntry& logged : previous) ++seenBefore[logged.identity];
    std::vector<std::size_t> added;
    for (const LoggedEntry& logged : current) {
        const auto found = seenBefore.find(logged.identity);
        if (found != seenBefore.end() && found->second > 0) {
            --found->second;
        } else if (logged.record != kNotMapped) {
            added.push_back(logged.record);
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
        current.sensorsRead = true;
    }
    HardwareEvents events = DetectHardwareEvents(&current_, current);
    previous_ = std::move(current_);
    current_ = std::move(current);
    return events;
}

}  // namespace norv
