// Which providers WMI hands an event query to: an __EventProviderRegistration whose
// EventQueryList holds a query whose events could match it names a __Win32Provider of the
// namespace, whose CLSID is the COM class to create. A registered query could match when
// its event class and the query's are the same or one derives from the other
// (__InstanceOperationEvent is served by the providers of __InstanceCreationEvent, a class
// derived from __ExtrinsicEvent by the providers of it and of its subclasses), and for an
// intrinsic query its target class and the query's too; every provider with such a
// registration is asked (a provider has one, Provider being its key). The host understands
// the event queries
//   SELECT * FROM <event class> [WITHIN <seconds>] WHERE TargetInstance ISA '<class>'
//       [AND <condition>]
//   SELECT * FROM <extrinsic event class> [WITHIN <seconds>] [WHERE <condition>]
// (keywords and names without regard to case, the class in single or double quotes), read
// with the host's WQL lexer; a condition is one of the event's own properties
// (repository/wql_condition.h: PerceivedSeverity >= 6, TargetInstance.Name = 'x').
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "provider/provider_registration.h"
#include "repository/class_source.h"
#include "repository/wql_condition.h"

namespace norvwmi {

struct EventQuery {
    std::string eventClass;   // __InstanceCreationEvent, AlertIndication, ...
    bool intrinsic = false;   // WHERE TargetInstance ISA '...'
    std::string targetClass;  // intrinsic: the ISA class
    std::optional<WqlCondition> condition;  // on the event's properties, past the ISA
};

std::optional<EventQuery> ParseEventQuery(std::string_view query);

// One Found lookup for each provider a registration of the query names, in the order of the
// registrations; or one lookup saying why the query cannot be served: NotCapable when no
// registration lists such a query or an extrinsic query's class does not derive from
// __ExtrinsicEvent, NoClass when the namespace lacks that class, ProviderNotFound or
// InvalidRegistration, as for instance providers, when one of the named providers has no
// usable __Win32Provider (a subscription is served whole or not at all).
std::vector<ProviderLookup> FindEventProviders(const ClassSource& classes,
                                               std::string_view nameSpace,
                                               const EventQuery& query);

}  // namespace norvwmi
