#include "repository/key_lookup.h"

#include "repository/name_compare.h"
#include "repository/value_normalisation.h"

namespace norvwmi {

std::optional<std::vector<KeyBinding>> WantedKeys(const ClassDefinition& definition,
                                                  const ObjectPath& path) {
    std::vector<const PropertyDefinition*> keys;
    for (const PropertyDefinition& property : definition.properties)
        if (property.IsKey()) keys.push_back(&property);
    if (path.singleton) {
        if (!keys.empty()) return std::nullopt;
        return std::vector<KeyBinding>{};
    }
    if (keys.empty() || path.keys.size() != keys.size()) return std::nullopt;

    std::vector<KeyBinding> wanted;
    for (const PropertyDefinition* key : keys) {
        const KeyBinding* given = nullptr;
        for (const KeyBinding& binding : path.keys) {
            const bool unnamedOnlyKey = binding.name.empty() && keys.size() == 1;
            if (unnamedOnlyKey || SameName(binding.name, key->name)) given = &binding;
        }
        if (!given) return std::nullopt;
        CimValue value = given->value;
        if (value.IsNull() || NormaliseToProperty(*key, value)) return std::nullopt;
        wanted.push_back(KeyBinding{key->name, std::move(value)});
    }
    return wanted;
}

bool HasKeys(const CimObject& instance, const std::vector<KeyBinding>& wanted) {
    for (const KeyBinding& key : wanted) {
        const auto i = instance.Find(key.name);
        if (!i) return false;
        const CimValue& value = instance.ValueAt(*i);
        const auto* text = std::get_if<std::string>(&value.data);
        const auto* wantedText = std::get_if<std::string>(&key.value.data);
        const bool same = text && wantedText ? SameName(*text, *wantedText) : value == key.value;
        if (!same) return false;
    }
    return true;
}

}  // namespace norvwmi
