#include "com/property_selection.h"

#include <wbemcli.h>

#include <array>

#include "com/variant_conversion.h"
#include "com/wide_text.h"
#include "repository/name_compare.h"

namespace norvwmi {

namespace {

struct OriginFlag {
    LONG flag;
    PropertySelection::Origin origin;
};

// The third group of flags: one of them at most.
constexpr std::array kOriginFlags{
    OriginFlag{0, PropertySelection::Origin::Any},
    OriginFlag{WBEM_FLAG_LOCAL_ONLY, PropertySelection::Origin::Local},
    OriginFlag{WBEM_FLAG_PROPAGATED_ONLY, PropertySelection::Origin::Propagated},
    OriginFlag{WBEM_FLAG_SYSTEM_ONLY, PropertySelection::Origin::System},
    OriginFlag{WBEM_FLAG_NONSYSTEM_ONLY, PropertySelection::Origin::NonSystem},
};

constexpr LONG kConditionMask = 0x3;  // WBEM_FLAG_ALWAYS .. WBEM_FLAG_ONLY_IF_IDENTICAL
constexpr LONG kKindMask = WBEM_FLAG_KEYS_ONLY | WBEM_FLAG_REFS_ONLY;
constexpr LONG kOriginMask = 0x70;

bool ReadKindAndOrigin(LONG flags, PropertySelection& selection) {
    if ((flags & kKindMask) == kKindMask) return false;
    selection.keysOnly = (flags & WBEM_FLAG_KEYS_ONLY) != 0;
    selection.referencesOnly = (flags & WBEM_FLAG_REFS_ONLY) != 0;
    for (const OriginFlag& origin : kOriginFlags) {
        if ((flags & kOriginMask) == origin.flag) {
            selection.origin = origin.origin;
            return true;
        }
    }
    return false;
}

const Qualifier* FindQualifier(const std::vector<Qualifier>& qualifiers, std::string_view name) {
    for (const Qualifier& qualifier : qualifiers)
        if (SameName(qualifier.name, name)) return &qualifier;
    return nullptr;
}

// Qualifier integers compare as numbers whatever their stored sign.
bool SameQualifierValue(const CimValue& a, const CimValue& b) {
    auto number = [](const CimValue& value) -> std::optional<std::int64_t> {
        if (const auto* n = std::get_if<std::int64_t>(&value.data)) return *n;
        if (const auto* n = std::get_if<std::uint64_t>(&value.data))
            return static_cast<std::int64_t>(*n);
        return std::nullopt;
    };
    if (number(a) && number(b)) return *number(a) == *number(b);
    return a == b;
}

bool MeetsCondition(const PropertyDefinition& property, const PropertySelection& selection) {
    if (selection.condition == PropertySelection::Condition::Always) return true;
    const Qualifier* qualifier = FindQualifier(property.qualifiers, selection.qualifierName);
    const bool present = qualifier && qualifier->value != CimValue{false};
    switch (selection.condition) {
        case PropertySelection::Condition::IfTrue:
            return present;
        case PropertySelection::Condition::IfFalse:
            return !present;
        default:
            return qualifier && SameQualifierValue(qualifier->value, selection.qualifierValue);
    }
}

bool SystemPropertiesListed(const PropertySelection& selection) {
    using Origin = PropertySelection::Origin;
    return selection.condition == PropertySelection::Condition::Always && !selection.keysOnly &&
           !selection.referencesOnly &&
           (selection.origin == Origin::Any || selection.origin == Origin::System);
}

}  // namespace

std::optional<PropertySelection> GetNamesSelection(LONG flags, LPCWSTR qualifierName,
                                                   const VARIANT* qualifierValue) {
    if ((flags & ~(kConditionMask | kKindMask | kOriginMask)) != 0) return std::nullopt;
    PropertySelection selection;
    if (!ReadKindAndOrigin(flags, selection)) return std::nullopt;
    selection.condition = static_cast<PropertySelection::Condition>(flags & kConditionMask);
    if (selection.condition == PropertySelection::Condition::Always) return selection;
    if (!qualifierName) return std::nullopt;
    selection.qualifierName = WideToUtf8(qualifierName);
    if (selection.condition == PropertySelection::Condition::IfIdentical) {
        if (!qualifierValue ||
            FAILED(QualifierFromVariant(*qualifierValue, selection.qualifierValue)))
            return std::nullopt;
    }
    return selection;
}

std::optional<PropertySelection> EnumerationSelection(LONG flags) {
    if ((flags & ~(kKindMask | kOriginMask)) != 0) return std::nullopt;
    PropertySelection selection;
    if (!ReadKindAndOrigin(flags, selection)) return std::nullopt;
    return selection;
}

std::vector<std::string> SelectNames(const CimObject& object, const PropertySelection& selection) {
    using Origin = PropertySelection::Origin;
    std::vector<std::string> names;
    if (SystemPropertiesListed(selection))
        for (const SystemPropertyInfo& system : kSystemProperties) names.emplace_back(system.name);
    if (selection.origin == Origin::System) return names;
    for (std::size_t i = 0; i < object.PropertyCount(); ++i) {
        const PropertyDefinition& property = object.PropertyAt(i);
        const bool local = SameName(object.OriginAt(i), object.Definition().name);
        if (selection.origin == Origin::Local && !local) continue;
        if (selection.origin == Origin::Propagated && local) continue;
        if (selection.keysOnly && !property.IsKey()) continue;
        if (selection.referencesOnly && property.type != CimType::Reference) continue;
        if (!MeetsCondition(property, selection)) continue;
        names.push_back(property.name);
    }
    return names;
}

}  // namespace norvwmi
