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

// A numeric sensor's value as the sensor holds it: `value` times 10 to the power
// `unitModifier` (a temperature's threshold of 820 with modifier -1 is 82.0 degrees).
struct ScaledValue {
    std::int32_t value = 0;
    std::int32_t unitModifier = 0;
};

// The value in its base units, in decimal with no trailing zeros after a point: 820 at -1 is
// "82", 825 at -1 is "82.5", -5 at -1 is "-0.5", 3 at 2 is "300". A modifier beyond +-9 (no
// sensor reports one) gives the value as stored with its power: "3e12".
std::string ScaledValueText(ScaledValue scaled);

// The upper threshold of a sensor, by its device id, from the inventory the log was mapped
// with; nothing when the sensor has none.
using UpperThresholdLookup = std::function<std::optional<ScaledValue>(std::string_view deviceId)>;

// The upper threshold of the numeric sensor shown with `deviceId`, with the sensor's unit
// modifier: its fatal one, else its critical one, else its non-critical one; nothing when it
// has none.
std::optional<ScaledValue> UpperThresholdOf(std::span<const NumericSensorInstanceData> sensors,
                                            std::string_view deviceId);

// The arguments of the meaning's message for the record, in the message's order:
// - the sensor label as the record writes it;
// - the trigger reading, event data 2 in decimal (whole degrees); the units,
//   kTemperatureUnits; the threshold from `upperThreshold` in the same units
//   (ScaledValueText), kArgumentUnknown when it has none;
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
