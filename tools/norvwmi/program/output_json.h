// The JSON document the host prints for --format json:
//   {"status": "0x00000000", "instances": [{"__CLASS": "TempSensorInfo", "TempCelsius": 41}]}
// Each object shows __CLASS and its non-null properties (ordered by name, as WMI lists
// them). Integers up to 32 bits, reals and booleans are JSON numbers and literals; sint64
// and uint64 are decimal strings, as WMI hands them out; strings, date-times and references
// are strings; arrays are arrays. A real that is not finite has no JSON form and is null.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "repository/cim_object.h"

namespace norvwmi {

// A JSON string literal of UTF-8 text: quotes, backslashes and control characters
// escaped; a byte that is not part of valid UTF-8 becomes \ufffd.
std::string JsonString(std::string_view utf8);

// A property's value in the form of its CIM type.
std::string JsonValue(const PropertyDefinition& property, const CimValue& value);

std::string JsonObject(const CimObject& object);

// The whole document, ending with a newline.
std::string InstancesDocument(std::uint32_t status, std::span<const CimObject> objects);

// The `classes` command's document: {"status": "0x00000000", "classes": ["Sensor", ...]}.
std::string ClassesDocument(std::uint32_t status, std::span<const std::string> classNames);

}  // namespace norvwmi
