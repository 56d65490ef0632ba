#include "events/change_detection.h"

#include <algorithm>
#include <memory>
#include <span>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

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
void TakeEntriesOf(const HealthReads& reads, SensorEntryList<Entry>& into,
                   std::span<const Entry> from) {
    const auto ofReads = [&reads](const Entry& entry) { return reads.test(IndexOf(entry.readFrom)); };
    std::vector<Entry> taken;
    for (const Entry& entry : into.Entries()) {
        if (!ofReads(entry)) taken.push_back(entry);
    }
    for (const Entry& entry : from) {
        if (ofReads(entry)) taken.push_back(entry);
    }
    std::stable_sort(taken.begin(), taken.end(), [](const Entry& left, const Entry& right) {
        return left.readFrom < right.readFrom;
    });
    into.Clear();
    for (Entry& entry : taken) into.Append(std::move(entry));
    into.SetBuilt(true);
}

// `into` with the sensors of `reads` taken from `from` and `readsNotRun` as its reads not
// run: a new value, since the lists a snapshot holds are shared with the cache.
std::shared_ptr<const SensorLists> WithSensorsOf(const HealthReads& reads, const SensorLists& into,
                                                 const SensorLists& from,
                                                 const HealthReads& readsNotRun) {
    auto taken = std::make_shared<SensorLists>(into);
    TakeEntriesOf(reads, taken->sensors, from.sensors.Entries());
    TakeEntriesOf(reads, taken->numericSensors, from.numericSensors.Entries());
    taken->readsNotRun = readsNotRun;
    return taken;
}

}  // namespace

HardwareEvents DetectHardwareEvents(const HardwareSnapshot* previous,
                                    const HardwareSnapshot& current) {
    HardwareEvents events;
    if (!previous) return events;
    if (previous->log && current.log) {
        events.newRecords = NewRecords(previous->Seen(), current.Seen());
    }
    if (previous->sensors && current.sensors) {
        events.sensorChanges = SensorChanges(previous->Sensors(), current.Sensors());
        events.numericSensorChanges =
            SensorChanges(previous->NumericSensors(), current.NumericSensors());
    }
    return events;
}

HardwareEvents EventBaseline::Advance(HardwareSnapshot current) {
    if (!current.log) current.log = current_.log;
    if (!current.sensors) {
        current.sensors = current_.sensors;
    } else if (current_.sensors) {
        // A read that did not run now keeps the baseline's sensors; one that runs for the
        // first time gives the baseline its sensors, as a first read of the whole part does.
        const HealthReads notRunNow = current.sensors->readsNotRun;
        const HealthReads firstRun = current_.sensors->readsNotRun & ~notRunNow;
        const SensorLists& baseline = *current_.sensors;
        const std::shared_ptr<const SensorLists> read = current.sensors;
        if (notRunNow.any()) {
            current.sensors =
                WithSensorsOf(notRunNow, *read, baseline, notRunNow & baseline.readsNotRun);
        }
        if (firstRun.any()) {
            current_.sensors = WithSensorsOf(firstRun, baseline, *read, baseline.readsNotRun);
        }
    }
    HardwareEvents events = DetectHardwareEvents(&current_, current);
    previous_ = std::move(current_);
    current_ = std::move(current);
    return events;
}

}  // namespace norv
