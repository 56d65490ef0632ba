// A class source of plain data for tests: classes are declared in code, each holding its
// inherited properties first (as the repository builds them); instances are listed with
// those of derived classes.
#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "repository/class_source.h"
#include "repository/name_compare.h"

namespace norvwmi::testing {

inline PropertyDefinition Property(std::string name, CimType type, bool isArray = false) {
    PropertyDefinition property;
    property.name = std::move(name);
    property.type = type;
    property.isArray = isArray;
    return property;
}

inline PropertyDefinition KeyProperty(std::string name, CimType type) {
    PropertyDefinition property = Property(std::move(name), type);
    property.qualifiers.push_back(Qualifier{"key", CimValue{true}});
    return property;
}

inline PropertyDefinition WithDefault(PropertyDefinition property, CimValue value) {
    property.defaultValue = std::move(value);
    return property;
}

inline InstanceDefinition Instance(std::string className, std::vector<PropertyValue> values) {
    InstanceDefinition instance;
    instance.className = std::move(className);
    instance.values = std::move(values);
    return instance;
}

class MemoryClassSource final : public ClassSource {
public:
    // Declares the class in the namespace, after the properties of its superclass.
    const ClassDefinition& AddClass(const std::string& nameSpace, ClassDefinition definition) {
        Namespace& space = Space(nameSpace);
        definition.nameSpace = space.name;
        if (!definition.superclass.empty()) {
            const ClassDefinition* parent = FindClass(nameSpace, definition.superclass);
            std::vector<PropertyDefinition> all = parent->properties;
            all.insert(all.end(), definition.properties.begin(), definition.properties.end());
            definition.properties = std::move(all);
        }
        space.classes.push_back(std::move(definition));
        return space.classes.back();
    }

    void AddInstance(const std::string& nameSpace, InstanceDefinition instance) {
        Namespace& space = Space(nameSpace);
        instance.nameSpace = space.name;
        space.instances.push_back(std::move(instance));
    }

    std::optional<std::string> FindNamespace(std::string_view nameSpace) const override {
        if (const Namespace* space = Find(nameSpace)) return space->name;
        return std::nullopt;
    }

    const ClassDefinition* FindClass(std::string_view nameSpace,
                                     std::string_view className) const override {
        const Namespace* space = Find(nameSpace);
        if (!space) return nullptr;
        for (const ClassDefinition& definition : space->classes)
            if (SameName(definition.name, className)) return &definition;
        return nullptr;
    }

    std::vector<const InstanceDefinition*> Instances(std::string_view nameSpace,
                                                     std::string_view className) const override {
        std::vector<const InstanceDefinition*> found;
        const Namespace* space = Find(nameSpace);
        if (!space) return found;
        for (const InstanceDefinition& instance : space->instances)
            if (DerivesFrom(nameSpace, instance.className, className)) found.push_back(&instance);
        return found;
    }

private:
    struct Namespace {
        std::string name;
        std::deque<ClassDefinition> classes;
        std::deque<InstanceDefinition> instances;
    };

    bool DerivesFrom(std::string_view nameSpace, std::string_view className,
                     std::string_view ancestor) const {
        for (const ClassDefinition* c = FindClass(nameSpace, className); c;
             c = FindClass(nameSpace, c->superclass))
            if (SameName(c->name, ancestor)) return true;
        return false;
    }

    const Namespace* Find(std::string_view name) const {
        for (const Namespace& space : spaces_)
            if (SameName(space.name, name)) return &space;
        return nullptr;
    }

    Namespace& Space(const std::string& name) {
        for (Namespace& space : spaces_)
            if (SameName(space.name, name)) return space;
        spaces_.push_back(Namespace{name, {}, {}});
        return spaces_.back();
    }

    std::deque<Namespace> spaces_;
};

}  // namespace norvwmi::testing
