// The management log of a platform description: its Norvwmi_LogEvent and Norvwmi_LogArea
// directives become the one KronInfo instance of root\wmi that the health driver would
// serve, carrying the assembled log area (platform/management_log_assembly.h). The timed
// log directives (Norvwmi_LogAppend, Norvwmi_LogDrop) change that log while a watch runs
// (platform/timed_platform.h); a description with only those still has the log.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "repository/mof_error.h"
#include "repository/repository.h"
#include "simulated_driver/management_log_assembly.h"

namespace norvwmi {

inline constexpr std::string_view kLogEventClass = "Norvwmi_LogEvent";
inline constexpr std::string_view kLogAreaClass = "Norvwmi_LogArea";
inline constexpr std::string_view kLogAppendClass = "Norvwmi_LogAppend";
inline constexpr std::string_view kLogDropClass = "Norvwmi_LogDrop";
inline constexpr std::string_view kManagementLogClass = "KronInfo";
inline constexpr std::string_view kManagementLogInstanceName = "ROOT\\KESHHLTH\\0000_0";

// The log as a description writes it: its events oldest first, and the area's layout.
struct DescribedLog {
    std::vector<LogEvent> events;
    LogAreaLayout layout;
    SourceLocation where;  // of the directive a fault of the whole area is reported at
};

// The log's directives, read; nullopt when the description has none. A description that
// also declares a KronInfo instance of its own, an event without its class or code
// that cannot be an entry, or a log area with a fixed HeaderEnd that Norvwmi_LogAppend
// would append to, is an error at the instance or directive concerned (the first append).
std::variant<std::optional<DescribedLog>, MofError> ReadManagementLog(const Repository& repository);

// One event directive (Norvwmi_LogEvent or a class derived from it) as an entry's content.
std::variant<LogEvent, MofError> ReadLogEvent(const InstanceDefinition& directive);

// KronData's value: the area's bytes.
CimValue LogAreaValue(const std::vector<std::uint8_t>& area);

// The KronInfo instance serving `area`.
InstanceDefinition ManagementLogInstance(const std::vector<std::uint8_t>& area,
                                         const SourceLocation& where);

// Adds the KronInfo instance of the log. Events and a layout that do not fit together are
// an error at the layout (or the first event).
std::optional<MofError> AddManagementLog(Repository& repository, const DescribedLog& log);

}  // namespace norvwmi
