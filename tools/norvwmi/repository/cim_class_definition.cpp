#include "repository/cim_class_definition.h"

#include "repository/name_compare.h"

namespace norvwmi {

namespace {

template <typename Range>
auto FindByName(const Range& items, std::string_view name) -> decltype(&*items.begin()) {
    for (const auto& item : items)
        if (SameName(item.name, name)) return &item;
    return nullptr;
}

}  // namespace

const Qualifier* PropertyDefinition::FindQualifier(std::string_view qualifierName) const {
    return FindByName(qualifiers, qualifierName);
}

bool PropertyDefinition::IsKey() const {
    const Qualifier* key = FindQualifier("key");
    if (!key) return false;
    const bool* flag = std::get_if<bool>(&key->value.data);
    return flag && *flag;
}

const PropertyDefinition* ClassDefinition::FindProperty(std::string_view propertyName) const {
    return FindByName(properties, propertyName);
}

const MethodDefinition* ClassDefinition::FindMethod(std::string_view methodName) const {
    return FindByName(methods, methodName);
}

}  // namespace norvwmi
