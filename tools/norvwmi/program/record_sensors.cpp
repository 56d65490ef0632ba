#include "program/record_sensors.h"

#include "program/object_names.h"
#include "repository/object_path.h"

namespace norvwmi {

namespace {

// The path a reference holds; empty when the link has none.
std::string_view PathIn(const CimObject& link, std::string_view reference) {
    const std::string* path = TextOf(link, reference);
    return path != nullptr ? std::string_view(*path) : std::string_view();
}

}  // namespace

std::map<std::string, std::string> RecordSensorNames(std::span<const CimObject> links,
                                                     std::span<const CimObject> sensors) {
    const ObjectNames served(sensors);
    std::map<std::string, std::string> names;
    for (const CimObject& link : links) {
        const auto record = ParseObjectPath(PathIn(link, "Antecedent"));
        const auto sensor = served.Find(PathIn(link, "Dependent"));
        if (record && sensor)
            names[FormatRelativePath(record->className, record->keys, record->singleton)] = *sensor;
    }
    return names;
}

}  // namespace norvwmi
