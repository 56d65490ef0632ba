// The management log of a platform description: its Norvwmi_LogEvent and Norvwmi_LogArea
// directives become the one KronInfo instance of root\wmi that the health driver would
// serve, carrying the assembled log area (platform/management_log_assembly.h).
#pragma once

#include <optional>
#include <string_view>

#include "repository/mof_error.h"
#include "repository/repository.h"

namespace norvwmi {

inline constexpr std::string_view kLogEventClass = "Norvwmi_LogEvent";
inline constexpr std::string_view kLogAreaClass = "Norvwmi_LogArea";
inline constexpr std::string_view kManagementLogClass = "KronInfo";
inline constexpr std::string_view kManagementLogInstanceName = "ROOT\\KESHHLTH\\0000_0";

// Adds the KronInfo instance when the description holds log events or a log area; nothing
// otherwise. A description that also declares a KronInfo instance of its own, an event
// without its class or code, or events and a layout that do not fit together are errors
// at the directive concerned.
std::optional<MofError> AddManagementLog(Repository& repository);

}  // namespace norvwmi
