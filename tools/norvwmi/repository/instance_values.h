// Reading the values an instance of a description carries, by property name in any letter
// case. A property the instance does not give, or gives as null, has no value. The host's
// changing platforms set values of copies of instances the same way.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "repository/cim_class_definition.h"
#include "repository/name_compare.h"

namespace norvwmi {

inline const CimValue* ValueOf(const InstanceDefinition& instance, std::string_view property) {
    for (const PropertyValue& value : instance.values)
        if (SameName(value.name, property) && !value.value.IsNull()) return &value.value;
    return nullptr;
}

inline const std::string* TextOf(const InstanceDefinition& instance, std::string_view property) {
    const CimValue* value = ValueOf(instance, property);
    return value ? std::get_if<std::string>(&value->data) : nullptr;
}

// The repository has checked each value against its unsigned property, so a value that is
// there is a std::uint64_t; one beyond Unsigned's range counts as none.
template <typename Unsigned = std::uint64_t>
std::optional<Unsigned> UnsignedOf(const InstanceDefinition& instance, std::string_view property) {
    const CimValue* value = ValueOf(instance, property);
    const auto* number = value ? std::get_if<std::uint64_t>(&value->data) : nullptr;
    if (!number || *number > std::numeric_limits<Unsigned>::max()) return std::nullopt;
    return static_cast<Unsigned>(*number);
}

// The low 8 bits of each element of an integer array, 0 for an element that is not one.
inline std::vector<std::uint8_t> BytesOf(const InstanceDefinition& instance,
                                         std::string_view property) {
    std::vector<std::uint8_t> bytes;
    const CimValue* value = ValueOf(instance, property);
    const auto* array = value ? std::get_if<CimArray>(&value->data) : nullptr;
    if (!array) return bytes;
    for (const CimValue& element : *array) {
        const auto* number = std::get_if<std::uint64_t>(&element.data);
        bytes.push_back(static_cast<std::uint8_t>(number ? *number : 0));
    }
    return bytes;
}

// Replaces the property's value, or adds the property where the instance does not give it.
inline void SetValue(InstanceDefinition& instance, std::string_view property, CimValue value) {
    for (PropertyValue& existing : instance.values) {
        if (SameName(existing.name, property)) {
            existing.value = std::move(value);
            return;
        }
    }
    instance.values.push_back(
        PropertyValue{std::string(property), std::move(value), instance.where});
}

}  // namespace norvwmi
