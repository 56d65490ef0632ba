#include "provider/provider_query.h"

#include "com/class_object.h"
#include "com/wbem_hresult.h"
#include "provider/provider_session.h"
#include "repository/wql_select.h"

namespace norvwmi {

namespace {

ProviderQueryAnswer Refused(std::string detail) {
    ProviderQueryAnswer answer;
    answer.outcome.status = Wbem(WBEM_E_INVALID_QUERY);
    answer.outcome.step = "the query";
    answer.outcome.detail = std::move(detail);
    return answer;
}

}  // namespace

std::optional<ProviderQueryPlan> PlanProviderQuery(const ProviderHost& host,
                                                   std::string_view query) {
    const SplitQuery split = SplitAtWhere(query);
    const auto select = ParseWqlSelect(split.select);
    if (!std::holds_alternative<WqlSelect>(select)) return std::nullopt;
    const WqlSelect& selected = std::get<WqlSelect>(select);
    const ClassSource& classes = host.served->Classes();
    const ProviderLookup enumerable =
        FindProvider(classes, host.nameSpace, selected.className, ProviderOperation::Enumerate);
    if (enumerable.status == ProviderLookupStatus::NoClass ||
        enumerable.status == ProviderLookupStatus::StaticClass)
        return std::nullopt;

    ProviderQueryPlan plan;
    if (split.hasWhere) {
        auto parsed = ParseWqlCondition(split.condition);
        if (const auto* error = std::get_if<WqlError>(&parsed)) {
            plan.refused = Refused(error->reason);
            return plan;
        }
        plan.condition = std::get<WqlCondition>(std::move(parsed));
    }
    const auto lineage = host.served->Lineage(host.nameSpace, selected.className);
    std::vector<std::string> named = selected.properties;
    if (plan.condition)
        for (std::string& property : ConditionProperties(*plan.condition))
            named.push_back(property);
    for (const std::string& property : named)
        if (!FindSystemProperty(property) && !lineage->definition->FindProperty(property)) {
            plan.refused = Refused(lineage->definition->name + " has no property " + property);
            return plan;
        }
    plan.selected = selected.properties;
    plan.request.target = selected.className;
    const ProviderLookup queryable =
        FindProvider(classes, host.nameSpace, selected.className, ProviderOperation::Query);
    if (queryable.status == ProviderLookupStatus::Found) {
        plan.request.operation = ProviderOperation::Query;
        plan.request.query = std::string(query);
    }
    return plan;
}

ProviderQueryAnswer RunProviderQuery(const ProviderModule& module, const ProviderHost& host,
                                     const ProviderQueryPlan& plan) {
    if (plan.refused) return *plan.refused;
    ProviderQueryAnswer answer;
    answer.outcome = RunProviderRequest(module, host, plan.request);
    for (const auto& object : answer.outcome.objects) {
        const ClassObject* ours = ClassObject::Implementation(object.get());
        if (!ours) continue;
        CimObject snapshot = ours->Snapshot();
        if (plan.condition && !ConditionHolds(*plan.condition, snapshot)) continue;
        if (!plan.selected.empty()) snapshot = snapshot.Projected(plan.selected, false);
        answer.objects.push_back(std::move(snapshot));
    }
    return answer;
}

}  // namespace norvwmi
