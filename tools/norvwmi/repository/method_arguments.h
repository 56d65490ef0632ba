// A method call's in-parameters as a command line gives them, `NAME=VALUE` each, read by the
// method's [in] parameters: the name in any letter case, the value's text as the parameter's
// type reads it (integers in decimal, reals, TRUE or FALSE in any letter case, any other type
// as the text itself, checked as a MOF value of that type is). A parameter not given keeps
// the default its declaration has.
#pragma once

#include <span>
#include <string>
#include <variant>
#include <vector>

#include "repository/cim_class_definition.h"

namespace norvwmi {

struct MethodArgument {
    std::string name;  // as declared
    CimType type = CimType::String;
    CimValue value;  // in the repository's normal form
};

// The arguments in the order given, or why one is refused: not NAME=VALUE, no [in] parameter
// of that name, given twice, an array parameter, or a value the type does not hold.
std::variant<std::vector<MethodArgument>, std::string> ReadMethodArguments(
    const MethodDefinition& method, std::span<const std::string> texts);

}  // namespace norvwmi
