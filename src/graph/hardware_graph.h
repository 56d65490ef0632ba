// The served instances as the ends of the associations, each named by its reference path,
// and the association instances made of them. The ends come from the same data the endpoint
// classes are served from, in their order, so a reference names what an enumeration shows.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "eventlog/cache_snapshot.h"
#include "eventlog/log_record_data.h"
#include "eventlog/sel_entry.h"
#include "graph/association_classes.h"
#include "host/instance_columns.h"
#include "inventory/controller_record.h"
#include "inventory/sensor_inventory.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/sensor_instance_data.h"

namespace norv {

inline constexpr std::size_t kNoSensor = std::numeric_limits<std::size_t>::max();

struct GraphEnds {
    std::string controller;
    std::string domain;
    std::string collection;
    std::string log;
    // The served sensors: every present Sensor, then every present NumericSensor.
    std::vector<std::string> sensors;
    // For each record of the inventory the sensors were made of, the index in `sensors` of
    // its served sensor; kNoSensor for a record that is not served.
    std::vector<std::size_t> sensorOfInventoryRecord;
    std::vector<std::string> records;
    // For each record, the index in `sensors` of the sensor its entry names; kNoSensor when
    // that sensor is not served or the record was not linked.
    std::vector<std::size_t> recordSensor;
};

// The controller, its domain and its sensor collection.
void AddSystemEnds(GraphEnds& ends, const ManagementControllerRecord& controller);

// The served sensors of the two lists made of `inventory` (one entry per inventory record,
// discrete ones in the first list, those with a reading in the second).
void AddSensorEnds(GraphEnds& ends, const SensorInventory& inventory,
                   std::span<const SensorInstanceData> sensors,
                   std::span<const NumericSensorInstanceData> numericSensors);

// The log and its records (`entries` are the mapped entries the records were made of, one
// per record). With an inventory, after AddSensorEnds of it, each record is linked to the
// served sensor its entry names: the record the log's mapping finds in that inventory, if it
// still has the sensor number, owner LUN and owner id the record was made with.
void AddLogEnds(GraphEnds& ends, const RecordLogData& log, std::span<const LogRecordData> records,
                std::span<const SelEntry> entries, const SensorInventory* inventory);

// The sensors and the log of one snapshot of the caches, each when the snapshot holds it,
// linked through the snapshot's inventory (after AddSystemEnds).
void AddSnapshotEnds(GraphEnds& ends, const CacheSnapshot& snapshot);

// One association instance: the paths its two references hold.
struct AssociationData {
    std::string first;
    std::string second;
};

// The class's two references as key columns, named by its roles.
std::array<Column<AssociationData>, 2> AssociationColumns(const AssociationClass& association);

// The class's instances, in the order of their ends.
std::vector<AssociationData> AssociationsOf(const AssociationClass& association,
                                            const GraphEnds& ends);

// Of the class's instances, in the same order, only those one of whose references `names`
// (asked with the reference's index, 0 the first and 1 the second, and its path); the others
// are never made. `names` is asked once per distinct end and role, not once per instance.
std::vector<AssociationData> AssociationsNaming(
    const AssociationClass& association, const GraphEnds& ends,
    const std::function<bool(std::size_t role, const std::string& path)>& names);

}  // namespace norv
