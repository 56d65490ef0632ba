#include "program/object_names.h"

#include <algorithm>

#include "repository/object_path_match.h"

namespace norvwmi {

namespace {

bool HoldsText(const std::string* text) {
    return text != nullptr && !text->empty();
}

}  // namespace

std::string DisplayName(const CimObject& object) {
    if (const auto* name = TextOf(object, "Name"); HoldsText(name)) return *name;
    if (const auto* record = TextOf(object, "RecordID"); HoldsText(record))
        return "record " + *record;
    if (const auto* name = TextOf(object, "ElementName"); HoldsText(name)) return *name;
    return object.RelativePath().value_or(object.Definition().name);
}

bool IsLink(const CimObject& object) {
    std::size_t references = 0;
    for (std::size_t i = 0; i < object.PropertyCount(); ++i)
        references += object.PropertyAt(i).type == CimType::Reference ? 1 : 0;
    return references >= 2;
}

ObjectNames::ObjectNames(std::span<const CimObject> objects) {
    for (const CimObject& object : objects)
        if (auto path = ParseObjectPath(object.RelativePath().value_or("")))
            named_.emplace_back(std::move(*path), DisplayName(object));
}

std::optional<std::string> ObjectNames::Find(std::string_view path) const {
    const auto parsed = ParseObjectPath(path);
    if (!parsed) return std::nullopt;
    const auto found = std::find_if(named_.begin(), named_.end(), [&](const auto& entry) {
        return SameObject(entry.first, *parsed);
    });
    if (found == named_.end()) return std::nullopt;
    return found->second;
}

std::string ObjectNames::NameOf(std::string_view path) const {
    return Find(path).value_or(std::string(path));
}

}  // namespace norvwmi
