#include "provider/association_objects.h"

#include "com/class_object.h"
#include "repository/reference_select.h"

namespace norvwmi {

ObjectsAnswer ProviderObjects::Get(const std::string& path) {
    return Run(ProviderOperation::Get, path);
}

ObjectsAnswer ProviderObjects::Enumerate(const std::string& className) {
    return Run(ProviderOperation::Enumerate, className);
}

ObjectsAnswer ProviderObjects::Referencing(const std::string& className,
                                           const std::vector<std::string>& roles,
                                           const std::string& sourcePath) {
    const ProviderLookup lookup = FindProvider(host_.served->Classes(), host_.nameSpace, className,
                                               ProviderOperation::Query);
    if (lookup.status == ProviderLookupStatus::Found) {
        ObjectsAnswer selected = Run(ProviderOperation::Query, className,
                                     ReferenceSelect(className, roles, sourcePath));
        if (selected.status != kWbemProviderNotCapable) return selected;
    }
    return Enumerate(className);
}

ObjectsAnswer ProviderObjects::Run(ProviderOperation operation, const std::string& target,
                                   const std::string& query) {
    ProviderRequest request;
    request.operation = operation;
    request.target = target;
    request.query = query;
    const ProviderOutcome outcome = session_.Run(request);
    const std::string what = operation == ProviderOperation::Get     ? "get " + target
                             : operation == ProviderOperation::Query ? "query " + query
                                                                     : "enum " + target;
    for (const std::string& problem : outcome.problems) problems_.push_back(what + ": " + problem);
    ObjectsAnswer answer;
    answer.status = static_cast<std::uint32_t>(outcome.status);
    answer.step = outcome.step + " (" + what + ")";
    answer.detail = outcome.detail;
    // An object the host did not make is already a problem of the request.
    for (const auto& object : outcome.objects)
        if (const ClassObject* ours = ClassObject::Implementation(object.get()))
            answer.objects.push_back(ours->Snapshot());
    return answer;
}

std::vector<std::string> ProviderObjects::End() {
    for (std::string& problem : session_.End()) problems_.push_back("the query: " + problem);
    return std::move(problems_);
}

ProviderAssociationAnswer RunProviderAssociationQuery(const ProviderModule& module,
                                                      const ProviderHost& host,
                                                      const std::vector<std::string>& classNames,
                                                      std::string_view query) {
    ProviderObjects objects(module, host);
    ProviderAssociationAnswer result;
    result.answer = RunAssociationQuery(*host.served, host.nameSpace, classNames, query, objects);
    result.problems = objects.End();
    return result;
}

}  // namespace norvwmi
