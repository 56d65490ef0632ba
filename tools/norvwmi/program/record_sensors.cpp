#include "program/record_sensors.h"

#include <algorithm>
#include <optional>

#include "repository/object_path.h"
#include "repository/object_path_match.h"

namespace norvwmi {

namespace {

std::optional<ObjectPath> PathIn(const CimObject& object, std::string_view property) {
    const auto index = object.Find(property);
    if (!index) return std::nullopt;
    const auto* text = std::get_if<std::string>(&object.ValueAt(*index).data);
    return text != nullptr ? ParseObjectPath(*text) : std::nullopt;
}

std::string NameOf(const CimObject& sensor) {
    const auto index = sensor.Find("Name");
    const auto* name = index ? std::get_if<std::string>(&sensor.ValueAt(*index).data) : nullptr;
    return name != nullptr ? *name : std::string();
}

}  // namespace

std::map<std::string, std::string> RecordSensorNames(std::span<const CimObject> links,
                                                     std::span<const CimObject> sensors) {
    std::vector<std::pair<ObjectPath, std::string>> served;
    for (const CimObject& sensor : sensors)
        if (auto path = ParseObjectPath(sensor.RelativePath().value_or("")))
            served.emplace_back(std::move(*path), NameOf(sensor));
    std::map<std::string, std::string> names;
    for (const CimObject& link : links) {
        const auto record = PathIn(link, "Antecedent");
        const auto sensor = PathIn(link, "Dependent");
        if (!record || !sensor) continue;
        const auto found = std::find_if(served.begin(), served.end(),
                                        [&](const auto& entry) { return SameObject(entry.first, *sensor); });
        if (found != served.end())
            names[FormatRelativePath(record->className, record->keys, record->singleton)] =
                found->second;
    }
    return names;
}

}  // namespace norvwmi
