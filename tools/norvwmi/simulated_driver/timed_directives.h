// The timed directives of a platform description: changes that apply once a given second of
// a `norvwmi watch` has passed (Norvwmi_LogAppend, Norvwmi_LogDrop, Norvwmi_ReadingChange in
// tools/norvwmi/host.mof), read into one step per second. What a step does to the served
// data is platform/timed_platform.h's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "repository/mof_error.h"
#include "repository/repository.h"
#include "simulated_driver/management_log_assembly.h"

namespace norvwmi {

inline constexpr std::string_view kReadingChangeClass = "Norvwmi_ReadingChange";
// What the steps change: the health driver's temperatures (and its log, KronInfo).
inline constexpr std::string_view kTimedNamespace = "root\\wmi";
inline constexpr std::string_view kTemperatureClass = "TempSensorInfo";
// A watch lasts at most this long, so a later change would never apply.
inline constexpr std::uint32_t kLastTimedSecond = 3600;

struct ReadingChange {
    std::string instanceName;  // of a TempSensorInfo instance
    std::uint32_t celsius = 0;
    SourceLocation where;
};

// What the directives of one second do, in this order: the log gains `appended` (in the
// order the description lists them), drops its `dropped` oldest events, and the readings
// change.
struct TimedStep {
    std::uint32_t second = 0;
    std::vector<LogEvent> appended;
    std::uint32_t dropped = 0;
    std::vector<ReadingChange> readings;
    SourceLocation where;     // the step's first directive read (appends, drops, readings)
    SourceLocation logWhere;  // its drop, else its last append: where a log fault is reported
};

// The steps in ascending seconds; none for a description without timed directives. A
// directive without AtSecond in 1..3600, a drop without Count, an appended event that
// cannot be an entry, or a reading change that does not name a TempSensorInfo instance of
// the description or lacks TempCelsius is an error at the directive.
std::variant<std::vector<TimedStep>, MofError> ReadTimedSteps(const Repository& repository);

// A fault of the step's log, at its log directive: "at second N, <message>".
MofError TimedLogFault(const TimedStep& step, const std::string& message);

}  // namespace norvwmi
