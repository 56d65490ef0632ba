// The table view of --format table: the objects of one class as one table, a row per
// object, with the columns chosen for the class (the sensors' readings in their units,
// the log's records one line each); a class without its own columns shows its Name and
// Caption, or failing those every property that has a value. Objects of different
// classes in a row make one table each, a blank line between them.
#pragma once

#include <span>
#include <string>

#include "repository/cim_object.h"

namespace norvwmi {

std::string InstancesTable(std::span<const CimObject> objects);

}  // namespace norvwmi
