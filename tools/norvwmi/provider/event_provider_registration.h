// Which provider WMI hands an event query to: an __EventProviderRegistration whose
// EventQueryList holds a query whose events could match it names a __Win32Provider of the
// namespace, whose CLSID is the COM class to create. A registered query could match when
// its event class and the query's, and its target class and the query's, are each the same
// or one derives from the other (__InstanceOperationEvent is served by the providers of
// __InstanceCreationEvent); the first registration that does is taken. The host
// understands the event queries of the form
//   SELECT * FROM <event class> [WITHIN <seconds>] WHERE TargetInstance ISA '<class>'
// (keywords and names without regard to case, the class in single or double quotes), read
// with the host's WQL lexer.
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
