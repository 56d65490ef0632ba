// The provider's own sensor data repository: sensor records in build order (the
// order in which the providers list sensors) and whether the list is complete.
#pragma once

#include <cstddef>
#include <vector>

#include "inventory/sensor_record.h"

namespace norv {

class SensorInventory {
public:
    // Empties the inventory and marks it invalid until a build completes.
    void Clear();
    void Append(const SensorRecord& record) { records.push_back(record); }
    // Drops the most recently appended record; nothing happens on an empty inventory.
    void RemoveLast();

    std::size_t Count() const { return records.size(); }
    // index < Count()
    const SensorRecord& At(std::size_t index) const { return records[index]; }

    bool Valid() const { return valid; }
    void SetValid(bool value) { valid = value; }

private:
    std::vector<SensorRecord> records;
    bool valid = false;
};

}  // namespace norv
