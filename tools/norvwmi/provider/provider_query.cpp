#include "provider/provider_query.h"

#include "com/class_object.h"
#include "com/wbem_hresult.h"
#include "provider/provider_session.h"
#include "repository/wql_select.h"

namespace norvwmi {

namespace {

ProviderQueryPlan Refused(std::string detail, HRESULT status = Wbem(WBEM_E_INVALID_QUERY)) {
    ProviderQueryAnswer answer;
    answer.outcome.status = status;
    answer.outcome.step = "the query";
    answer.outcome.detail = std::move(detail);
    ProviderQueryPlan plan;
    plan.refused = std::move(answer);
    return plan;
}

}  // namespace

std::optional<ProviderQueryPlan> PlanProviderQuery(const ProviderHost& host,
                                                   std::string_view query, OtherQueries others) {
    const bool answeredHere = others == OtherQueries::AnsweredHere;
    const SplitQuery split = SplitAtWhere(query);
    const auto select = ParseWqlSelect(split.select);
    if (const auto* error = std::get_if<WqlError>(&select)) {
        if (!answeredHere) return std::nullopt;
        return Refused(error->reason, error->kind == WqlError::Kind::Unsupported
                                          ? Wbem(WBEM_E_NOT_SUPPORTED)
                                          : Wbem(WBEM_E_INVALID_QUERY));
    }
    const WqlSelect& selected = std::get<WqlSelect>(select);
    const ClassSource& classes = host.served->Classes();
    const ProviderLookup enumerable =
        FindProvider(classes, host.nameSpace, selected.className, ProviderOperation::Enumerate);
    if (enumerable.status == ProviderLookupStatus::NoClass) {
        if (!answeredHere) return std::nullopt;
        return Refused("no class " + selected.className, Wbem(WBEM_E_INVALID_CLASS));
    }
    if (enumerable.status == ProviderLookupStatus::StaticClass && !answeredHere)
        return std::nullopt;

    ProviderQueryPlan plan;
    if (split.hasWhere) {
        auto parsed = ParseWqlCondition(split.condition);
        if (const auto* error = std::get_if<WqlError>(&parsed)) return Refused(error->reason);
        plan.condition = std::get<WqlCondition>(std::move(parsed));
    }
    const auto lineage = host.served->Lineage(host.nameSpace, selected.className);
    std::vector<std::string> named = selected.properties;
    if (plan.condition)
        for (std::string& property : ConditionProperties(*plan.condition))
            named.push_back(property);
    for (const std::string& property : named)
        if (!FindSystemProperty(property) && !lineage->definition->FindProperty(property))
            return Refused(lineage->definition->name + " has no property " + property);
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
        if (!plan.selected.empty()) snapshot = snapshot.Projected(plan.selected, plan.ensureLocatable);
        answer.objects.push_back(std::move(snapshot));
    }
    return answer;
}

}  // namespace norvwmi
