// The text of an alert's message: the arguments a log record gives its message, and the
// template filled with them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "alerts/alert_messages.h"
#include "alerts/event_meanings.h"
#include "eventlog/sel_entry.h"
#include "sensors/numeric_sensor_instance_data.h"

namespace norv {

// The units of a temperature reading as Redfish names them; the one threshold event of the
// mapping is a temperature's.
inline constexpr std::string_view kTemperatureUnits = "Cel";
// An argument the record and the inventory cannot give.
inline constexpr std::string_view kArgumentUnspecified = "unspecified";
inline constexpr std::string_view kArgumentUnknown = "unknown";

// The upper threshold of a sensor, by its device id, from the inventory the log was mapped
// with; nothing when the sensor has none.
using UpperThresholdLookup = std::function<std::optional<std::int32_t>(std::string_view deviceId)>;

// The upper threshold of the numeric sensor shown with `deviceId`: its fatal one, else its
// critical one, else its non-critical one; nothing when it has none.
std::optional<std::int32_t> UpperThresholdOf(std::span<const NumericSensorInstanceData> sensors,
                                             std::string_view deviceId);

// The arguments of the meaning's message for the record, in the message's order:
// - the sensor label as the record writes it;
// - the trigger reading, event data 2 in decimal; the units, kTemperatureUnits; the
//   threshold from `upperThreshold`, kArgumentUnknown when it has none;
// - the POST error number, event data 2 and 3 (OEM codes) as hundreds and the rest,
//   kArgumentUnspecified when the entry gave none;
// - the event text of a repaired condition: its state text, without severity;
// - the record's caption.
std::vector<std::string> MessageArguments(const EventMeaning& meaning, const SelEntry& entry,
                                          const UpperThresholdLookup& upperThreshold);

// The template with %1 .. %9 replaced by the arguments in order. A % not followed by the
// number of a given argument stays as written.
std::string FillMessageTemplate(std::string_view text, std::span<const std::string> arguments);

}  // namespace norv
