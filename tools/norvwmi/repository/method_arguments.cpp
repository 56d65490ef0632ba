#include "repository/method_arguments.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>

#include "repository/mof_error.h"
#include "repository/name_compare.h"
#include "repository/value_normalisation.h"

namespace norvwmi {

namespace {

bool IsIn(const PropertyDefinition& parameter) {
    const Qualifier* in = parameter.FindQualifier("in");
    const bool* flag = in ? std::get_if<bool>(&in->value.data) : nullptr;
    return flag && *flag;
}

// The whole text as a number of that type, in decimal: no blank, no sign '+', no hex.
template <typename Number>
std::optional<CimValue> WholeNumber(std::string_view text) {
    Number number{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return CimValue{number};
}

// The text as the parameter's type reads it, before the range is checked.
std::optional<CimValue> Typed(CimType type, const std::string& text) {
    switch (type) {
        case CimType::SInt8:
        case CimType::SInt16:
        case CimType::SInt32:
        case CimType::SInt64:
            return WholeNumber<std::int64_t>(text);
        case CimType::UInt8:
        case CimType::UInt16:
        case CimType::UInt32:
        case CimType::UInt64:
            return WholeNumber<std::uint64_t>(text);
        case CimType::Real32:
        case CimType::Real64:
            return WholeNumber<double>(text);
        case CimType::Boolean:
            if (SameName(text, "TRUE")) return CimValue{true};
            if (SameName(text, "FALSE")) return CimValue{false};
            return std::nullopt;
        default:
            return CimValue{text};
    }
}

}  // namespace

std::variant<std::vector<MethodArgument>, std::string> ReadMethodArguments(
    const MethodDefinition& method, std::span<const std::string> texts) {
    std::vector<MethodArgument> arguments;
    for (const std::string& text : texts) {
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos || equals == 0) return "'" + text + "' is not NAME=VALUE";
        const std::string_view name(text.data(), equals);
        const auto parameter = std::find_if(
            method.parameters.begin(), method.parameters.end(),
            [&](const PropertyDefinition& p) { return IsIn(p) && SameName(p.name, name); });
        if (parameter == method.parameters.end())
            return method.name + " has no in-parameter " + Quoted(name);
        const bool repeated =
            std::any_of(arguments.begin(), arguments.end(),
                        [&](const MethodArgument& a) { return a.name == parameter->name; });
        if (repeated) return "in-parameter " + Quoted(parameter->name) + " is given twice";
        if (parameter->isArray)
            return "in-parameter " + Quoted(parameter->name) +
                   " is an array, which the command line cannot give";
        const std::string valueText = text.substr(equals + 1);
        std::optional<CimValue> value = Typed(parameter->type, valueText);
        if (!value)
            return "'" + valueText + "' is not a " + std::string(CimTypeName(parameter->type)) +
                   " value, as in-parameter " + Quoted(parameter->name) + " needs";
        if (std::optional<std::string> reason = NormaliseToProperty(*parameter, *value))
            return *reason;
        arguments.push_back({parameter->name, parameter->type, std::move(*value)});
    }
    return arguments;
}

}  // namespace norvwmi
