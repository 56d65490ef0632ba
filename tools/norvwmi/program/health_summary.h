// The one line that opens the main job's tables: the platform, how many sensors are there
// and how many of the readings are not OK, how many log records and the newest of them, the
// active conditions by severity, worst first, and the worst of them (the one raised first
// among the most severe): its sensor, its event and when it was raised.
//   platforms/default.mof: 47 sensors present, 0 of 7 readings not OK; 29 log records,
//   newest 2014-08-01 06:15 Critical Interrupt Assert: I/O channel check NMI; 20 active
//   conditions: 4 fatal, 1 critical, 9 major, 2 minor, 4 degraded; worst: (0.0.65)
//   Run-time Critical Stop since 2014-01-17 02:58
// A condition whose sensor is not served is named by the device id its record gives.
// Only a reading's state says OK or not: a discrete sensor's state names an event or a
// condition ("Deasserted", "Transition to Off Line") that is good on one sensor and bad on
// another, so discrete sensors are counted but not judged.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "repository/cim_object.h"

namespace norvwmi {

struct HealthObjects {
    std::span<const CimObject> sensors;         // Sensor instances
    std::span<const CimObject> numericSensors;  // NumericSensor instances
    std::span<const CimObject> logRecords;      // LogRecord instances
    std::span<const CimObject> conditions;      // HealthCondition instances
};

// The line, ending with a newline.
std::string HealthSummary(std::string_view platform, const HealthObjects& objects);

}  // namespace norvwmi
