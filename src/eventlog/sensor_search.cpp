#include "eventlog/sensor_search.h"

namespace norv {

namespace {

// A kind outside the enumeration (from a damaged record) has no group.
std::size_t GroupOf(SensorKind kind) {
    return static_cast<std::size_t>(kind);
}

}  // namespace

SensorSearch::SensorSearch(const SensorInventory& inventory) {
    const std::size_t count = inventory.Count();
    // Counting sort by kind keeps each group in inventory order.
    std::array<std::size_t, kSensorKindCount + 1> next{};
    for (std::size_t index = 0; index < count; ++index) {
        const std::size_t group = GroupOf(inventory.At(index).Kind());
        if (group < kSensorKindCount) ++groupStart_[group + 1];
    }
    for (std::size_t group = 0; group < kSensorKindCount; ++group) {
        groupStart_[group + 1] += groupStart_[group];
        next[group] = groupStart_[group];
    }
    byKind_.resize(groupStart_[kSensorKindCount]);
    for (std::size_t index = 0; index < count; ++index) {
        const SensorRecord& record = inventory.At(index);
        const std::size_t group = GroupOf(record.Kind());
        if (group < kSensorKindCount) byKind_[next[group]++] = &record;
    }
}

const SensorRecord* SensorSearch::Find(SensorKind kind, std::uint8_t key1,
                                       std::uint8_t key2) const {
    const std::size_t group = GroupOf(kind);
    if (group >= kSensorKindCount) return nullptr;
    for (std::size_t place = groupStart_[group]; place < groupStart_[group + 1]; ++place) {
        if (byKind_[place]->Matches(kind, key1, key2)) return byKind_[place];
    }
    return nullptr;
}

}  // namespace norv
