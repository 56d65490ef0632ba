#include "repository/repository.h"

#include <map>
#include <unordered_map>
#include <unordered_set>

#include "repository/name_compare.h"
#include "repository/object_path.h"
#include "repository/value_normalisation.h"

namespace norvwmi {

namespace {

constexpr std::string_view kSystemClassPrefix = "__";

bool StartsWithName(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

std::string Folded(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return folded;
}

std::string Place(const SourceLocation& where) {
    return where.file + ":" + std::to_string(where.line);
}

bool IsTrueQualifier(const std::vector<Qualifier>& qualifiers, std::string_view name) {
    for (const Qualifier& qualifier : qualifiers) {
        if (!SameName(qualifier.name, name)) continue;
        const bool* flag = std::get_if<bool>(&qualifier.value.data);
        return flag && *flag;
    }
    return false;
}

// The relative path WMI writes for an instance (__RELPATH), which an alias stands for.
// A key the instance does not set takes the class default. nullopt when a key has no
// scalar value (`missingKey` names it) or the class has no key and is no singleton.
std::optional<std::string> InstancePath(const ClassDefinition& definition,
                                        const InstanceDefinition& instance,
                                        std::string& missingKey) {
    std::vector<KeyBinding> keys;
    for (const PropertyDefinition& property : definition.properties) {
        if (!property.IsKey()) continue;
        const CimValue* value = &property.defaultValue;
        for (const PropertyValue& assignment : instance.values)
            if (SameName(assignment.name, property.name)) value = &assignment.value;
        const bool scalar = !value->IsNull() && !std::holds_alternative<CimArray>(value->data) &&
                            !std::holds_alternative<CimAliasRef>(value->data);
        if (!scalar) {
            missingKey = property.name;
            return std::nullopt;
        }
        keys.push_back({property.name, *value});
    }
    if (keys.empty() && !IsTrueQualifier(definition.qualifiers, "singleton")) return std::nullopt;
    return FormatRelativePath(definition.name, std::move(keys), true);
}

template <typename Range>
auto FindNamed(Range&& items, std::string_view name) -> decltype(&*items.begin()) {
    for (auto& item : items)
        if (SameName(item.name, name)) return &item;
    return nullptr;
}

// The names of a class's members: the inherited ones with their positions, and those the
// class declares itself, so that an override and a repeated declaration are told apart
// without a scan per member.
class NameIndex {
public:
    struct Entry {
        std::optional<std::size_t> inherited;  // position of the inherited member of that name
        bool repeated = false;                 // the class declared the name already
    };

    template <typename Member>
    explicit NameIndex(const std::vector<Member>& inherited) {
        for (std::size_t i = 0; i < inherited.size(); ++i)
            inherited_.emplace(Folded(inherited[i].name), i);
    }

    Entry Declare(std::string_view name) {
        std::string folded = Folded(name);
        Entry entry;
        if (const auto found = inherited_.find(folded); found != inherited_.end())
            entry.inherited = found->second;
        entry.repeated = !declared_.insert(std::move(folded)).second;
        return entry;
    }

private:
    std::unordered_map<std::string, std::size_t> inherited_;
    std::unordered_set<std::string> declared_;
};

// A redeclared property keeps the inherited qualifiers it does not restate.
void MergeQualifiers(std::vector<Qualifier>& own, const std::vector<Qualifier>& inherited) {
    std::vector<Qualifier> merged;
    for (const Qualifier& qualifier : inherited)
        if (!FindNamed(own, qualifier.name)) merged.push_back(qualifier);
    for (Qualifier& qualifier : own) merged.push_back(std::move(qualifier));
    own = std::move(merged);
}

}  // namespace

// Checks one document against the repository and what the document itself declared
// before, and commits it only when all of it is valid.
class Repository::Loader {
public:
    Loader(Repository& repository, bool systemScope)
        : repository_(repository), systemScope_(systemScope) {}

    std::optional<MofError> Load(const MofDocument& document) {
        for (const ClassDefinition& declared : document.classes)
            if (!StageClass(declared)) return error_;
        if (systemScope_ && !document.instances.empty()) {
            Fail(document.instances.front().where,
                 "a document of system classes holds no instances");
            return error_;
        }
        for (const InstanceDefinition& declared : document.instances)
            if (!StageInstance(declared)) return error_;
        Commit();
        return std::nullopt;
    }

private:
    struct StagedPath {
        std::string nameSpace;
        SourceLocation where;
    };

    struct AliasTarget {
        std::string name;
        std::string path;
        std::string className;
        std::string nameSpace;
        SourceLocation where;
    };

    bool Fail(const SourceLocation& where, std::string message) {
        error_ = MofError{where.file, where.line, std::move(message)};
        return false;
    }

    const ClassDefinition* FindClass(std::string_view nameSpace, std::string_view name) const {
        if (const ClassDefinition* found = repository_.FindClass(nameSpace, name)) return found;
        for (const ClassDefinition& staged : classes_)
            if (SameName(staged.name, name) &&
                (systemScope_ || SameName(staged.nameSpace, nameSpace)))
                return &staged;
        return nullptr;
    }

    bool DerivesFrom(std::string_view nameSpace, const ClassDefinition* definition,
                     std::string_view ancestor) const {
        // Every superclass was declared before its subclass, so the chain ends.
        while (definition) {
            if (SameName(definition->name, ancestor)) return true;
            if (definition->superclass.empty()) return false;
            definition = FindClass(nameSpace, definition->superclass);
        }
        return false;
    }

    bool StageClass(const ClassDefinition& declared) {
        const std::string name = Quoted(declared.name);
        if (systemScope_ != StartsWithName(declared.name, kSystemClassPrefix))
            return Fail(declared.where, systemScope_
                                            ? "system class " + name + " does not start with '__'"
                                            : "class name " + name +
                                                  " is reserved: names starting with "
                                                  "'__' belong to WMI's system classes");
        if (const ClassDefinition* existing = FindClass(declared.nameSpace, declared.name)) {
            if (existing->where.file.empty())
                return Fail(declared.where, "class " + name + " is already declared");
            return Fail(declared.where,
                        "class " + name + " is already declared at " + Place(existing->where));
        }

        ClassDefinition definition;
        definition.name = declared.name;
        definition.nameSpace = declared.nameSpace;
        definition.qualifiers = declared.qualifiers;
        definition.where = declared.where;
        if (!declared.superclass.empty()) {
            const ClassDefinition* base = FindClass(declared.nameSpace, declared.superclass);
            if (!base)
                return Fail(declared.where, "superclass " + Quoted(declared.superclass) +
                                                " of class " + name + " is not declared");
            definition.superclass = base->name;
            definition.properties = base->properties;
            definition.methods = base->methods;
        }

        NameIndex properties(definition.properties);
        for (const PropertyDefinition& own : declared.properties) {
            const NameIndex::Entry entry = properties.Declare(own.name);
            if (entry.repeated)
                return Fail(own.where,
                            "property " + Quoted(own.name) + " is declared twice in class " + name);
            PropertyDefinition property = own;
            if (std::optional<std::string> reason =
                    NormaliseToProperty(property, property.defaultValue))
                return Fail(own.where, "default value: " + *reason);
            if (!entry.inherited) {
                definition.properties.push_back(std::move(property));
                continue;
            }
            PropertyDefinition* inherited = &definition.properties[*entry.inherited];
            if (inherited->type != own.type || inherited->isArray != own.isArray)
                return Fail(own.where, "property " + Quoted(own.name) + " of class " + name +
                                           " has another type than in its superclass " +
                                           Quoted(definition.superclass));
            MergeQualifiers(property.qualifiers, inherited->qualifiers);
            if (property.defaultValue.IsNull()) property.defaultValue = inherited->defaultValue;
            *inherited = std::move(property);
        }

        NameIndex methods(definition.methods);
        for (const MethodDefinition& own : declared.methods) {
            const NameIndex::Entry entry = methods.Declare(own.name);
            if (entry.repeated)
                return Fail(own.where,
                            "method " + Quoted(own.name) + " is declared twice in class " + name);
            MethodDefinition method = own;
            for (PropertyDefinition& parameter : method.parameters)
                if (std::optional<std::string> reason =
                        NormaliseToProperty(parameter, parameter.defaultValue))
                    return Fail(parameter.where, "default value of parameter " +
                                                     Quoted(parameter.name) + ": " + *reason);
            if (entry.inherited) {
                definition.methods[*entry.inherited] = std::move(method);
            } else {
                definition.methods.push_back(std::move(method));
            }
        }
        classes_.push_back(std::move(definition));
        return true;
    }

    bool StageInstance(const InstanceDefinition& declared) {
        const ClassDefinition* definition = FindClass(declared.nameSpace, declared.className);
        if (!definition)
            return Fail(declared.where, "instance of undeclared class " +
                                            Quoted(declared.className) + " in namespace " +
                                            Quoted(declared.nameSpace));
        if (IsTrueQualifier(definition->qualifiers, "abstract"))
            return Fail(declared.where, "class " + Quoted(definition->name) +
                                            " is abstract and cannot have instances");

        InstanceDefinition instance = declared;
        instance.className = definition->name;
        std::unordered_set<std::string> given;
        for (PropertyValue& assignment : instance.values) {
            const PropertyDefinition* property = definition->FindProperty(assignment.name);
            if (!property)
                return Fail(assignment.where, "property " + Quoted(assignment.name) +
                                                  " is not declared in class " +
                                                  Quoted(definition->name));
            if (!given.insert(Folded(assignment.name)).second)
                return Fail(assignment.where, "property " + Quoted(assignment.name) +
                                                  " is given twice in the instance");
            assignment.name = property->name;
            const bool holdsPath =
                property->type == CimType::Reference || property->type == CimType::String;
            if (holdsPath && !ResolveAliases(*property, instance.nameSpace, assignment))
                return false;
            if (std::optional<std::string> reason =
                    NormaliseToProperty(*property, assignment.value))
                return Fail(assignment.where, *reason);
        }

        std::string missingKey;
        std::optional<std::string> path = InstancePath(*definition, instance, missingKey);
        if (!instance.alias.empty() && !DefineAlias(instance, path, missingKey)) return false;
        if (path && !CheckKeysUnique(instance, *path)) return false;
        instances_.push_back(std::move(instance));
        return true;
    }

    bool CheckKeysUnique(const InstanceDefinition& instance, const std::string& path) {
        std::string folded = Folded(path);
        const SourceLocation* earlier = nullptr;
        if (const Namespace* space = repository_.FindNamespace(instance.nameSpace)) {
            const auto found = space->instancePaths.find(folded);
            if (found != space->instancePaths.end()) earlier = &found->second;
        }
        const std::pair key{Folded(instance.nameSpace), std::move(folded)};
        const auto staged = paths_.find(key);
        if (staged != paths_.end()) earlier = &staged->second.where;
        if (earlier)
            return Fail(instance.where,
                        "an instance " + path + " is already declared at " + Place(*earlier));
        paths_.emplace(key, StagedPath{instance.nameSpace, instance.where});
        return true;
    }

    bool ResolveAliases(const PropertyDefinition& property, const std::string& nameSpace,
                        PropertyValue& assignment) {
        const auto resolve = [&](CimValue& value) {
            const auto* reference = std::get_if<CimAliasRef>(&value.data);
            if (!reference) return true;
            const AliasTarget* target = FindNamed(aliases_, reference->alias);
            if (!target)
                return Fail(assignment.where, "alias $" + reference->alias +
                                                  " is not defined (an alias must be defined "
                                                  "before it is used, in the same file)");
            if (!SameName(target->nameSpace, nameSpace))
                return Fail(assignment.where, "alias $" + reference->alias +
                                                  " names an instance in another namespace (" +
                                                  target->nameSpace + ")");
            if (!property.referenceClass.empty() &&
                !DerivesFrom(nameSpace, FindClass(nameSpace, target->className),
                             property.referenceClass))
                return Fail(assignment.where, "alias $" + reference->alias + " is an instance of " +
                                                  Quoted(target->className) + ", but " +
                                                  Quoted(property.name) + " refers to " +
                                                  Quoted(property.referenceClass));
            value = CimValue{target->path};
            return true;
        };
        if (auto* elements = std::get_if<CimArray>(&assignment.value.data)) {
            for (CimValue& element : *elements)
                if (!resolve(element)) return false;
            return true;
        }
        return resolve(assignment.value);
    }

    bool DefineAlias(const InstanceDefinition& instance, const std::optional<std::string>& path,
                     const std::string& missingKey) {
        if (const AliasTarget* earlier = FindNamed(aliases_, instance.alias))
            return Fail(instance.where, "alias $" + instance.alias + " is already defined at " +
                                            Place(earlier->where));
        if (!path && missingKey.empty())
            return Fail(instance.where, "the instance aliased as $" + instance.alias +
                                            " has no path: its class has no key");
        if (!path)
            return Fail(instance.where, "the instance aliased as $" + instance.alias +
                                            " has no value for its key " + Quoted(missingKey));
        aliases_.push_back(
            {instance.alias, *path, instance.className, instance.nameSpace, instance.where});
        return true;
    }

    void Commit() {
        for (ClassDefinition& definition : classes_) {
            if (systemScope_) {
                repository_.systemClasses_.push_back(std::move(definition));
            } else {
                repository_.NamespaceFor(definition.nameSpace)
                    .classes.push_back(std::move(definition));
            }
        }
        for (InstanceDefinition& instance : instances_)
            repository_.NamespaceFor(instance.nameSpace).instances.push_back(std::move(instance));
        for (auto& [key, staged] : paths_)
            repository_.NamespaceFor(staged.nameSpace)
                .instancePaths.emplace(key.second, staged.where);
    }

    Repository& repository_;
    bool systemScope_;
    std::deque<ClassDefinition> classes_;  // staged; a deque keeps pointers to them valid
    std::vector<InstanceDefinition> instances_;
    std::map<std::pair<std::string, std::string>, StagedPath> paths_;  // by folded namespace, path
    std::vector<AliasTarget> aliases_;
    std::optional<MofError> error_;
};

std::optional<MofError> Repository::AddSystemClasses(const MofDocument& document) {
    return Loader(*this, true).Load(document);
}

std::optional<MofError> Repository::Add(const MofDocument& document) {
    return Loader(*this, false).Load(document);
}

std::optional<MofError> Repository::AddMof(std::string_view text, std::string_view fileName) {
    MofReadResult read = ReadMof(text, fileName);
    if (read.error) return read.error;
    return Add(read.document);
}

const Repository::Namespace* Repository::FindNamespace(std::string_view name) const {
    for (const Namespace& space : namespaces_)
        if (SameName(space.name, name)) return &space;
    return nullptr;
}

Repository::Namespace& Repository::NamespaceFor(std::string_view name) {
    for (Namespace& space : namespaces_)
        if (SameName(space.name, name)) return space;
    namespaces_.emplace_back().name = std::string(name);
    return namespaces_.back();
}

const ClassDefinition* Repository::FindClass(std::string_view nameSpace,
                                             std::string_view className) const {
    if (StartsWithName(className, kSystemClassPrefix)) {
        for (const ClassDefinition& definition : systemClasses_)
            if (SameName(definition.name, className)) return &definition;
        return nullptr;
    }
    const Namespace* space = FindNamespace(nameSpace);
    if (!space) return nullptr;
    for (const ClassDefinition& definition : space->classes)
        if (SameName(definition.name, className)) return &definition;
    return nullptr;
}

std::vector<const ClassDefinition*> Repository::Classes(std::string_view nameSpace) const {
    std::vector<const ClassDefinition*> classes;
    if (const Namespace* space = FindNamespace(nameSpace))
        for (const ClassDefinition& definition : space->classes) classes.push_back(&definition);
    return classes;
}

std::vector<const InstanceDefinition*> Repository::Instances(std::string_view nameSpace,
                                                             std::string_view className,
                                                             bool deep) const {
    std::vector<const InstanceDefinition*> instances;
    const Namespace* space = FindNamespace(nameSpace);
    if (!space) return instances;
    for (const InstanceDefinition& instance : space->instances) {
        const bool match = deep ? IsDerivedFrom(nameSpace, instance.className, className)
                                : SameName(instance.className, className);
        if (match) instances.push_back(&instance);
    }
    return instances;
}

std::vector<std::string> Repository::Namespaces() const {
    std::vector<std::string> names;
    for (const Namespace& space : namespaces_) names.push_back(space.name);
    return names;
}

std::vector<const ClassDefinition*> Repository::SystemClasses() const {
    std::vector<const ClassDefinition*> classes;
    for (const ClassDefinition& definition : systemClasses_) classes.push_back(&definition);
    return classes;
}

bool Repository::IsDerivedFrom(std::string_view nameSpace, std::string_view className,
                               std::string_view ancestor) const {
    // Every superclass was declared before its subclass, so the chain ends.
    for (const ClassDefinition* definition = FindClass(nameSpace, className); definition;
         definition = FindClass(nameSpace, definition->superclass)) {
        if (SameName(definition->name, ancestor)) return true;
        if (definition->superclass.empty()) return false;
    }
    return false;
}

}  // namespace norvwmi
