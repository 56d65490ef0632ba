// The sensor each log record applies to, as the table of LogRecord shows it: the
// RecordAppliesToElement links joined with the served sensors (Sensor and NumericSensor) by
// their object paths, compared as WMI compares them (object_path_match.h).
#pragma once

#include <map>
#include <span>
#include <string>

#include "repository/cim_object.h"

namespace norvwmi {

// The record's relative path, as the record's own __RELPATH writes it, to the linked sensor's
// Name; a link to no served sensor is left out.
std::map<std::string, std::string> RecordSensorNames(std::span<const CimObject> links,
                                                     std::span<const CimObject> sensors);

}  // namespace norvwmi
