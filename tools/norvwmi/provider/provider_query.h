// A data query of a class that a provider serves, answered as WMI answers it: the select list
// and the WHERE are checked against the class before the provider is asked; a provider whose
// registration takes queries (QuerySupportLevels) gets the query through ExecQueryAsync, any
// other is asked for every instance through CreateInstanceEnumAsync; either way the host keeps
// the instances the WHERE holds for and projects them to the select list.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "provider/provider_call.h"
#include "repository/cim_object.h"
#include "repository/wql_condition.h"

namespace norvwmi {

struct ProviderQueryAnswer {
    ProviderOutcome outcome;         // the provider's request, or the host's refusal of the query
    std::vector<CimObject> objects;  // what the query keeps, in the provider's order
};

// What the query asks of a provider: its request, the WHERE and the select list; or the
// host's refusal (a WHERE that does not parse, a property the class does not have).
struct ProviderQueryPlan {
    ProviderRequest request;
    std::optional<WqlCondition> condition;
    std::vector<std::string> selected;  // empty for SELECT *
    bool ensureLocatable = false;       // WBEM_FLAG_ENSURE_LOCATABLE: projections keep the keys
    std::optional<ProviderQueryAnswer> refused;
};

// Who answers the queries the providers do not: the program hands them to the namespace's
// own services, while a prefix's WMI answers every query here, refusing a query it cannot
// read (WBEM_E_NOT_SUPPORTED for WQL the host does not evaluate, else WBEM_E_INVALID_QUERY)
// or of an unknown class (WBEM_E_INVALID_CLASS), and filtering a class without a provider
// from the repository's instances as it filters a provider's.
enum class OtherQueries { LeftToTheRepository, AnsweredHere };

// nullopt, when `others` leaves them to the repository, for a query that is none the
// providers answer: not a SELECT the host reads, or of a class that is not declared or has
// no provider.
std::optional<ProviderQueryPlan> PlanProviderQuery(
    const ProviderHost& host, std::string_view query,
    OtherQueries others = OtherQueries::LeftToTheRepository);

ProviderQueryAnswer RunProviderQuery(const ProviderModule& module, const ProviderHost& host,
                                     const ProviderQueryPlan& plan);

}  // namespace norvwmi
