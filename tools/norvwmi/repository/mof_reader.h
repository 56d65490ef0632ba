// Reads the MOF subset the host uses (docs/mof-subset.md) into class and instance
// definitions. Reading checks syntax only; the repository checks meaning (superclasses,
// property types of instance values, aliases).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "repository/cim_class_definition.h"
#include "repository/mof_error.h"

namespace norvwmi {

// The namespace of declarations before the first #pragma namespace, as mofcomp uses.
inline constexpr std::string_view kDefaultMofNamespace = "root\\default";

struct MofDocument {
    std::string file;
    // In declaration order. A class holds its own properties and methods only; the
    // repository adds the inherited ones. Integer values are std::int64_t when written
    // with '-' and std::uint64_t otherwise; alias references are CimAliasRef.
    std::vector<ClassDefinition> classes;
    std::vector<InstanceDefinition> instances;
};

struct MofReadResult {
    MofDocument document;  // empty when error is set
    std::optional<MofError> error;
};

MofReadResult ReadMof(std::string_view text, std::string_view fileName);

// Applies `#pragma namespace(written)` to the current namespace: "\\.\root\wmi" and
// "root/wmi" become "root\wmi", a name not starting at root is relative to `current`.
// nullopt when the name is malformed.
std::optional<std::string> ResolveMofNamespace(std::string_view current, std::string_view written);

}  // namespace norvwmi
