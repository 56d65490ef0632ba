#include "repository/association_query.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "repository/association_statement.h"
#include "repository/name_compare.h"
#include "repository/object_path.h"
#include "repository/object_path_match.h"

namespace norvwmi {

namespace {

ObjectsAnswer Refused(std::uint32_t status, std::string step, std::string detail) {
    ObjectsAnswer answer;
    answer.status = status;
    answer.step = std::move(step);
    answer.detail = std::move(detail);
    return answer;
}

bool IsOrDerives(const ClassLineage& lineage, std::string_view ancestor) {
    if (SameName(lineage.definition->name, ancestor)) return true;
    return std::any_of(lineage.ancestors.begin(), lineage.ancestors.end(),
                       [&](const auto& definition) { return SameName(definition->name, ancestor); });
}

// A qualifier the class carries, other than one written as false.
bool Carries(const ClassDefinition& definition, std::string_view qualifier) {
    return std::any_of(definition.qualifiers.begin(), definition.qualifiers.end(),
                       [&](const Qualifier& q) {
                           return SameName(q.name, qualifier) && !(q.value == CimValue{false});
                       });
}

bool IsAssociation(const ClassLineage& lineage) {
    if (Carries(*lineage.definition, "Association")) return true;
    return std::any_of(lineage.ancestors.begin(), lineage.ancestors.end(),
                       [](const auto& definition) { return Carries(*definition, "Association"); });
}

// One search: the statement, the namespace and what was found so far.
class Search {
public:
    Search(const ServedNamespaces& served, std::string_view nameSpace,
           const AssociationStatement& statement, AssociationObjects& objects)
        : served_(served), nameSpace_(nameSpace), statement_(statement), objects_(objects) {}

    bool Associators() const { return statement_.kind == AssociationKind::Associators; }

    // The association classes a statement reaches, with the references that can name a
    // source of class `source`.
    struct Candidate {
        ClassLineage lineage;
        std::vector<const PropertyDefinition*> roles;
    };
    std::vector<Candidate> Candidates(const std::vector<std::string>& classNames,
                                      const ClassLineage& source) const {
        std::vector<Candidate> candidates;
        for (const std::string& name : classNames) {
            auto lineage = served_.Lineage(nameSpace_, name);
            if (!lineage || !IsAssociation(*lineage)) continue;
            const std::string& classFilter =
                Associators() ? statement_.assocClass : statement_.resultClass;
            const std::string& qualifier =
                Associators() ? statement_.requiredAssocQualifier : statement_.requiredQualifier;
            if (!classFilter.empty() && !IsOrDerives(*lineage, classFilter)) continue;
            if (!qualifier.empty() && !Carries(*lineage->definition, qualifier)) continue;
            Candidate candidate{*lineage, {}};
            for (const PropertyDefinition& property : lineage->definition->properties) {
                if (property.type != CimType::Reference) continue;
                if (!statement_.role.empty() && !SameName(statement_.role, property.name)) continue;
                if (property.referenceClass.empty() ||
                    IsOrDerives(source, property.referenceClass))
                    candidate.roles.push_back(&property);
            }
            if (!candidate.roles.empty()) candidates.push_back(std::move(candidate));
        }
        return candidates;
    }

    // An end other than the source's reference passes ResultRole.
    bool OtherEnd(const PropertyDefinition& property,
                  const std::vector<const PropertyDefinition*>& sourceRoles) const {
        if (property.type != CimType::Reference) return false;
        if (std::find(sourceRoles.begin(), sourceRoles.end(), &property) != sourceRoles.end())
            return false;
        return statement_.resultRole.empty() || SameName(statement_.resultRole, property.name);
    }

    // An end's class passes ResultClass and RequiredQualifier (ASSOCIATORS OF only).
    bool EndClassPasses(const ClassLineage& lineage) const {
        if (!statement_.resultClass.empty() && !IsOrDerives(lineage, statement_.resultClass))
            return false;
        return statement_.requiredQualifier.empty() ||
               Carries(*lineage.definition, statement_.requiredQualifier);
    }

    ObjectsAnswer Schema(const ClassLineage& source, const std::vector<std::string>& classNames) {
        ObjectsAnswer answer;
        for (const Candidate& candidate : Candidates(classNames, source)) {
            if (!Associators()) {
                AddClass(answer, candidate.lineage);
                continue;
            }
            // Each reference that can name the source has every other one as its far end.
            for (const PropertyDefinition* role : candidate.roles) {
                for (const PropertyDefinition& end : candidate.lineage.definition->properties) {
                    if (!OtherEnd(end, {role}) || end.referenceClass.empty()) continue;
                    const auto lineage = served_.Lineage(nameSpace_, end.referenceClass);
                    if (lineage && EndClassPasses(*lineage)) AddClass(answer, *lineage);
                }
            }
        }
        return answer;
    }

    ObjectsAnswer Data(const CimObject& source, const std::vector<std::string>& classNames) {
        const auto sourcePath = ParseObjectPath(source.RelativePath().value_or(""));
        if (!sourcePath)
            return Refused(kWbemInvalidObjectPath, "the source", "the source has no path");
        ObjectsAnswer answer;
        std::vector<std::string> ends;  // ASSOCIATORS OF: one per association that links one
        const std::string fullPath = source.FullPath().value_or(*source.RelativePath());
        for (const Candidate& candidate : Candidates(classNames, source.Lineage())) {
            const std::string& className = candidate.lineage.definition->name;
            std::vector<std::string> roles;
            for (const PropertyDefinition* role : candidate.roles) roles.push_back(role->name);
            ObjectsAnswer all = objects_.Referencing(className, roles, fullPath);
            if (all.status != kWbemNoError) return all;
            for (CimObject& instance : all.objects) {
                // A derived class's instances come from its own enumeration.
                if (!SameName(instance.Definition().name, className)) continue;
                std::vector<const PropertyDefinition*> named;
                for (const PropertyDefinition* role : candidate.roles)
                    if (Names(instance, role->name, *sourcePath)) named.push_back(role);
                if (named.empty()) continue;
                if (!Associators()) {
                    Add(answer, std::move(instance));
                    continue;
                }
                for (const PropertyDefinition& end : instance.Definition().properties) {
                    if (!OtherEnd(end, named)) continue;
                    const auto index = instance.Find(end.name);
                    const auto* path = std::get_if<std::string>(&instance.ValueAt(*index).data);
                    if (path != nullptr) ends.push_back(*path);
                }
            }
        }
        return Associators() ? Ends(std::move(answer), ends) : answer;
    }

private:
    struct Fetched {
        ObjectPath path;
        std::optional<CimObject> object;  // empty when its class fails the end filters
    };

    bool Names(const CimObject& instance, const std::string& property,
               const ObjectPath& source) const {
        const std::string* text = TextOf(instance, property);
        if (text == nullptr) return false;
        const auto path = ParseObjectPath(*text);
        return path && InThisNamespace(*path) && SameObject(*path, source);
    }

    bool InThisNamespace(const ObjectPath& path) const {
        if (path.namespaces.empty()) return true;
        const auto resolved = served_.ResolveNamespace(path.NamespaceText());
        return resolved && SameName(*resolved, nameSpace_);
    }

    ObjectsAnswer Ends(ObjectsAnswer answer, const std::vector<std::string>& ends) {
        std::vector<Fetched> fetched;
        for (const std::string& text : ends) {
            auto path = ParseObjectPath(text);
            if (!path) return Refused(kWbemInvalidObjectPath, "a reference", "'" + text + "'");
            auto known = std::find_if(fetched.begin(), fetched.end(), [&](const Fetched& f) {
                return SameObject(f.path, *path);
            });
            if (known == fetched.end()) {
                ObjectsAnswer one = objects_.Get(text);
                if (one.status != kWbemNoError) {
                    one.step = "GetObject of the end " + text + ": " + one.step;
                    return one;
                }
                Fetched end{std::move(*path), std::nullopt};
                if (!one.objects.empty() && EndClassPasses(one.objects.front().Lineage()))
                    end.object = std::move(one.objects.front());
                fetched.push_back(std::move(end));
                known = std::prev(fetched.end());
            }
            if (known->object) Add(answer, *known->object);
        }
        return answer;
    }

    // An object of the answer as the statement asks for it: whole, its keys, or its class
    // once.
    void Add(ObjectsAnswer& answer, CimObject object) const {
        if (statement_.classDefsOnly) return AddClass(answer, object.Lineage());
        answer.objects.push_back(statement_.keysOnly ? object.Projected({}, true)
                                                     : std::move(object));
    }

    void AddClass(ObjectsAnswer& answer, const ClassLineage& lineage) const {
        const bool known = std::any_of(answer.objects.begin(), answer.objects.end(),
                                       [&](const CimObject& object) {
                                           return SameName(object.Definition().name,
                                                           lineage.definition->name);
                                       });
        if (!known)
            answer.objects.push_back(CimObject::MakeClass(
                lineage, ObjectSource{served_.ServerName(), std::string(nameSpace_)}));
    }

    const ServedNamespaces& served_;
    std::string_view nameSpace_;
    const AssociationStatement& statement_;
    AssociationObjects& objects_;
};

}  // namespace

ObjectsAnswer RunAssociationQuery(const ServedNamespaces& served, std::string_view nameSpace,
                                  const std::vector<std::string>& classNames,
                                  std::string_view query, AssociationObjects& objects) {
    const auto parsed = ParseAssociationStatement(query);
    if (const auto* error = std::get_if<WqlError>(&parsed))
        return Refused(kWbemInvalidQuery, "the query",
                       error->reason + " at offset " + std::to_string(error->offset));
    const AssociationStatement& statement = std::get<AssociationStatement>(parsed);
    const auto path = ParseObjectPath(statement.sourcePath);
    if (!path)
        return Refused(kWbemInvalidObjectPath, "the source",
                       "'" + statement.sourcePath + "' is not an object path");
    Search search(served, nameSpace, statement, objects);
    if (!path->namespaces.empty()) {
        const auto resolved = served.ResolveNamespace(path->NamespaceText());
        if (!resolved || !SameName(*resolved, nameSpace))
            return Refused(kWbemInvalidNamespace, "the source", "the query's namespace is " +
                                                                    std::string(nameSpace));
    }
    const auto lineage = served.Lineage(nameSpace, path->className);
    if (!lineage)
        return Refused(kWbemInvalidClass, "the source", "no class " + path->className);
    if (path->IsClass()) return search.Schema(*lineage, classNames);
    if (statement.schemaOnly)
        return Refused(kWbemInvalidQuery, "the query", "SchemaOnly needs a class as the source");

    ObjectsAnswer source = objects.Get(statement.sourcePath);
    if (source.status != kWbemNoError) {
        source.step = "GetObject of the source: " + source.step;
        return source;
    }
    if (source.objects.empty())
        return Refused(kWbemNotFound, "GetObject of the source", "no object");
    return search.Data(source.objects.front(), classNames);
}

}  // namespace norvwmi
