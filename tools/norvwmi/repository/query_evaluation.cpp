#include "repository/query_evaluation.h"

#include <algorithm>
#include <iterator>

#include "repository/key_lookup.h"
#include "repository/name_compare.h"
#include "repository/object_path.h"
#include "repository/wql_select.h"

namespace norvwmi {

namespace {

RequestResult Failure(RequestStatus status, std::string detail) {
    RequestResult result;
    result.status = status;
    result.detail = std::move(detail);
    return result;
}

// The instances of a class as located objects of the namespace.
RequestResult Instances(const ServedNamespaces& served, std::string_view nameSpace,
                        const ClassLineage& queried, QueryOptions options) {
    RequestResult result;
    result.className = queried.definition->name;
    const ObjectSource source{served.ServerName(), std::string(nameSpace)};
    std::vector<ClassLineage> lineages{queried};
    for (const InstanceDefinition* instance :
         served.Classes().Instances(nameSpace, queried.definition->name)) {
        if (options.directRead && !SameName(instance->className, result.className)) continue;
        auto lineage = std::find_if(lineages.begin(), lineages.end(), [&](const ClassLineage& l) {
            return SameName(l.definition->name, instance->className);
        });
        if (lineage == lineages.end()) {
            auto found = served.Lineage(nameSpace, instance->className);
            if (!found)
                return Failure(RequestStatus::InvalidInstance,
                               "an instance of " + instance->className + " has no class");
            lineages.push_back(std::move(*found));
            lineage = std::prev(lineages.end());
        }
        auto made = CimObject::MakeInstance(*lineage, *instance, source);
        if (auto* reason = std::get_if<std::string>(&made))
            return Failure(RequestStatus::InvalidInstance, std::move(*reason));
        result.objects.push_back(std::move(std::get<CimObject>(made)));
    }
    return result;
}

bool NamesProperty(const ClassDefinition& definition, std::string_view name) {
    return FindSystemProperty(name) || definition.FindProperty(name);
}

}  // namespace

RequestResult RunWqlSelect(const ServedNamespaces& served, std::string_view nameSpace,
                           std::string_view query, QueryOptions options) {
    const auto parsed = ParseWqlSelect(query);
    if (const auto* error = std::get_if<WqlError>(&parsed)) {
        const auto status = error->kind == WqlError::Kind::Unsupported
                                ? RequestStatus::Unsupported
                                : RequestStatus::InvalidQuery;
        return Failure(status, error->reason + " at offset " + std::to_string(error->offset));
    }
    const WqlSelect& select = std::get<WqlSelect>(parsed);
    const auto lineage = served.Lineage(nameSpace, select.className);
    if (!lineage) return Failure(RequestStatus::InvalidClass, "no class " + select.className);
    for (const std::string& property : select.properties)
        if (!NamesProperty(*lineage->definition, property))
            return Failure(RequestStatus::InvalidQuery,
                           select.className + " has no property " + property);

    RequestResult result = Instances(served, nameSpace, *lineage, options);
    if (result.status == RequestStatus::Ok && !select.allProperties)
        for (CimObject& object : result.objects)
            object = object.Projected(select.properties, options.ensureLocatable);
    return result;
}

RequestResult EnumerateInstances(const ServedNamespaces& served, std::string_view nameSpace,
                                 std::string_view className, QueryOptions options) {
    const auto lineage = served.Lineage(nameSpace, className);
    if (!lineage) return Failure(RequestStatus::InvalidClass, "no class " + std::string(className));
    return Instances(served, nameSpace, *lineage, options);
}

RequestResult LookupObject(const ServedNamespaces& served, std::string_view nameSpace,
                           std::string_view pathText) {
    const auto path = ParseObjectPath(pathText);
    if (!path) return Failure(RequestStatus::InvalidPath, "not an object path");
    std::string target(nameSpace);
    if (!path->namespaces.empty()) {
        const std::string named = path->NamespaceText();
        const auto resolved = served.ResolveNamespace(named);
        if (!resolved) return Failure(RequestStatus::InvalidNamespace, "no namespace " + named);
        target = *resolved;
    }
    const auto lineage = served.Lineage(target, path->className);
    if (path->IsClass()) {
        if (!lineage) return Failure(RequestStatus::NotFound, "no class " + path->className);
        RequestResult result;
        result.className = lineage->definition->name;
        result.objects.push_back(
            CimObject::MakeClass(*lineage, ObjectSource{served.ServerName(), target}));
        return result;
    }
    if (!lineage) return Failure(RequestStatus::InvalidClass, "no class " + path->className);
    const auto wanted = WantedKeys(*lineage->definition, *path);
    if (!wanted)
        return Failure(RequestStatus::InvalidPath,
                       "the path does not name the keys of " + lineage->definition->name);
    RequestResult all = Instances(served, target, *lineage, QueryOptions{});
    if (all.status != RequestStatus::Ok) return all;
    for (CimObject& instance : all.objects) {
        if (!HasKeys(instance, *wanted)) continue;
        RequestResult result;
        result.className = all.className;
        result.objects.push_back(std::move(instance));
        return result;
    }
    return Failure(RequestStatus::NotFound, "no instance " + std::string(pathText));
}

}  // namespace norvwmi
