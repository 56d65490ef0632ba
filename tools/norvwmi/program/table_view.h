// The table view of --format table: the objects of one class as one table, a row per
// object, with the columns chosen for the class (the sensors' readings in their units,
// the log's records one line each, with the severity of each one's event and the sensor it
// applies to, the active conditions with their severity, times and message); an association
// shows a row per link, each end by its name
// ("IPMI Controller 0 → TEMPERATURE 1(10.0.0)"); a class without its own columns shows its
// Name and Caption, or failing those every property that has a value. Objects of different
// classes in a row make one table each, a blank line between them.
#pragma once

#include <map>
#include <span>
#include <string>

#include "program/object_names.h"
#include "repository/cim_object.h"

namespace norvwmi {

// What a table shows beside the objects' own properties: the Name of the sensor each log
// record applies to, by the record's relative path (record_sensors.h), and the names of
// association ends.
struct TableLinks {
    std::map<std::string, std::string> recordSensors;
    // The served objects' names, by which an association's ends are shown; without them an
    // association is shown as any other class.
    const ObjectNames* endNames = nullptr;
};

std::string InstancesTable(std::span<const CimObject> objects, const TableLinks& links = {});

}  // namespace norvwmi
