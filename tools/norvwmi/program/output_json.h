// The JSON document the host prints for --format json, written by nlohmann-json:
//   {
//     "status": "0x00000000",
//     "instances": [
//       {
//         "__CLASS": "TempSensorInfo",
//         "TempCelsius": 41
//       }
//     ]
//   }
// Each object shows __CLASS and its non-null properties (ordered by name, as WMI lists
// them). What is ours is how CIM values map: integers up to 32 bits, reals and booleans are
// JSON numbers and literals; sint64 and uint64 are decimal strings, as WMI hands them out;
// strings, date-times and references are strings; arrays are arrays; an embedded object is
// an object. A real that is not finite has no JSON form and is null; a byte that is not part
// of valid UTF-8 becomes U+FFFD, so the document always parses.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "repository/cim_object.h"

namespace norvwmi {

// The whole document, ending with a newline.
std::string InstancesDocument(std::uint32_t status, std::span<const CimObject> objects);

// The `classes` command's document: {"status": "0x00000000", "classes": ["Sensor", ...]}.
std::string ClassesDocument(std::uint32_t status, std::span<const std::string> classNames);

}  // namespace norvwmi
