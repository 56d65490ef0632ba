// The provider's own sensor data repository: sensor records in build order (the
// order in which the providers list sensors) and whether the list is complete.
// It also keeps the operating system's processor objects: they are asked for once and
// reused by every later build, so they outlive Clear (or are handed on to a new inventory).
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "inventory/sensor_record.h"
#include "platform/health_data_source.h"

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

    // Marks the records from `first` on as made by `read`, and `read` as not run when it
    // did not run.
    void MarkRead(std::size_t first, HealthRead read, bool ran);
    // The reads of the last build that did not run.
    const HealthReads& NotRun() const { return notRun; }

    bool Valid() const { return valid; }
    void SetValid(bool value) { valid = value; }

    // Whether the processor objects are held; false until a query returned at least one.
    bool ProcessorsQueried() const { return processorsQueried; }
    const HealthObjectList& Processors() const { return processors; }
    // Keeps the objects of a processor query; an empty list leaves the query to be retried.
    void KeepProcessors(HealthObjectList objects) {
        processors = std::move(objects);
        processorsQueried = !processors.empty();
    }
    // Hands the processor objects on to the next build's inventory; this one then holds none.
    HealthObjectList TakeProcessors() {
        processorsQueried = false;
        return std::move(processors);
    }

private:
    std::vector<SensorRecord> records;
    bool valid = false;
    HealthReads notRun;
    HealthObjectList processors;
    bool processorsQueried = false;
};

}  // namespace norv
