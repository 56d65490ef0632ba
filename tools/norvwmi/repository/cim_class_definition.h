// Class and instance definitions as the repository holds them after reading MOF.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "repository/cim_type.h"
#include "repository/cim_value.h"

namespace norvwmi {

struct SourceLocation {
    std::string file;
    int line = 0;
};

struct Qualifier {
    std::string name;  // as written; names compare case-insensitively
    CimValue value;    // a qualifier written without a value is boolean true
};

struct PropertyDefinition {
    std::string name;
    CimType type = CimType::String;
    bool isArray = false;
    std::vector<Qualifier> qualifiers;
    CimValue defaultValue;  // CimNull when none
    SourceLocation where;
    std::string referenceClass;  // CimType::Reference: the class named before 'ref'

    const Qualifier* FindQualifier(std::string_view qualifierName) const;
    bool IsKey() const;
};

struct MethodDefinition {
    std::string name;
    CimType returnType = CimType::UInt32;
    std::vector<PropertyDefinition> parameters;  // each carries [in] and/or [out]
    std::vector<Qualifier> qualifiers;
    SourceLocation where;
};

struct ClassDefinition {
    std::string name;
    std::string superclass;  // empty for none
    std::string nameSpace;   // from the last #pragma namespace before it
    std::vector<Qualifier> qualifiers;
    std::vector<PropertyDefinition> properties;  // own and inherited, in declaration order
    std::vector<MethodDefinition> methods;
    SourceLocation where;

    const PropertyDefinition* FindProperty(std::string_view propertyName) const;
    const MethodDefinition* FindMethod(std::string_view methodName) const;
};

struct PropertyValue {
    std::string name;
    CimValue value;
    SourceLocation where;
};

struct InstanceDefinition {
    std::string className;
    std::string alias;  // "$Name" without the dollar, empty for none
    std::string nameSpace;
    std::vector<PropertyValue> values;
    SourceLocation where;
};

}  // namespace norvwmi
