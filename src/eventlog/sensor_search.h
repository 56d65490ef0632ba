// The sensor an event names, found among the records of its own kind only: a log refresh
// looks up a sensor for every entry, and most records of an inventory are of other kinds.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "inventory/sensor_inventory.h"
#include "inventory/sensor_kind.h"
#include "inventory/sensor_record.h"

namespace norv {

class SensorSearch {
public:
    // The inventory outlives the search and is not changed while it is used.
    explicit SensorSearch(const SensorInventory& inventory);

    // The first record of the inventory, in its own order, that matches; null when none does.
    const SensorRecord* Find(SensorKind kind, std::uint8_t key1, std::uint8_t key2) const;

private:
    // The records grouped by kind, each group in inventory order; the group of kind k is
    // byKind_[groupStart_[k]] up to byKind_[groupStart_[k + 1]].
    std::vector<const SensorRecord*> byKind_;
    std::array<std::size_t, kSensorKindCount + 1> groupStart_{};
};

}  // namespace norv
