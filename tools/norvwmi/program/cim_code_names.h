// Words for the CIM codes of a numeric sensor's units and a sensor's type, for the table
// view. Only the codes a reader meets on this platform have words; any other code has
// none and is shown as its number, so that a wrong word is never printed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace norvwmi {

// BaseUnits: "degrees C" for 2.
std::optional<std::string_view> BaseUnitsName(std::uint64_t code);
// RateUnits: "per second" for 3; 0 (none) has no words.
std::optional<std::string_view> RateUnitsName(std::uint64_t code);
// SensorType: "Temperature" for 2.
std::optional<std::string_view> SensorTypeName(std::uint64_t code);
// PerceivedSeverity, as the class's Values name it: "Fatal/NonRecoverable" for 7.
std::optional<std::string_view> PerceivedSeverityName(std::uint64_t code);
// A severity as the tables show it: its name, else its number ("9").
std::string PerceivedSeverityText(std::uint64_t code);

}  // namespace norvwmi
