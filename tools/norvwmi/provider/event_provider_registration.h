// Which provider WMI hands an event query to: an __EventProviderRegistration whose
// EventQueryList holds a query for the same event class and the same target class names a
// __Win32Provider of the namespace, whose CLSID is the COM class to create. The host
// understands the event queries of the form
//   SELECT * FROM <event class> [WITHIN <seconds>] WHERE TargetInstance ISA '<class>'
// (keywords and names without regard to case, the class in single or double quotes).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "provider/provider_registration.h"
#include "repository/class_source.h"

namespace norvwmi {

struct EventQuery {
    std::string eventClass;   // __InstanceCreationEvent, ...
    std::string targetClass;  // the ISA class
};

std::optional<EventQuery> ParseEventQuery(std::string_view query);

// Found, or NotCapable when no registration lists such a query, ProviderNotFound or
// InvalidRegistration as for instance providers.
ProviderLookup FindEventProvider(const ClassSource& classes, std::string_view nameSpace,
                                 const EventQuery& query);

}  // namespace norvwmi
