// What the namespace services serve: the classes and instances of each namespace. The
// class repository read from MOF is one (repository_class_source.h); tests use plain data.
// Definitions handed out live as long as the source.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "repository/cim_class_definition.h"

namespace norvwmi {

class ClassSource {
public:
    virtual ~ClassSource() = default;

    // The namespace as the source spells it ("root\wmi"), found without regard to
    // case; nullopt when there is no such namespace.
    virtual std::optional<std::string> FindNamespace(std::string_view nameSpace) const = 0;

    // A class of the namespace (compared without regard to case), holding its inherited
    // properties too; null when there is none.
    virtual const ClassDefinition* FindClass(std::string_view nameSpace,
                                             std::string_view className) const = 0;

    // The instances of the class and of every class derived from it, in the order in
    // which they were declared, with values that suit their properties' types.
    virtual std::vector<const InstanceDefinition*> Instances(std::string_view nameSpace,
                                                             std::string_view className) const = 0;
};

// Copies of the instances of a class (and of its derived classes), in declaration order.
inline std::vector<InstanceDefinition> CopiesOf(const ClassSource& source,
                                                std::string_view nameSpace,
                                                std::string_view className) {
    std::vector<InstanceDefinition> copies;
    for (const InstanceDefinition* instance : source.Instances(nameSpace, className))
        copies.push_back(*instance);
    return copies;
}

}  // namespace norvwmi
