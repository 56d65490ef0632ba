#include "program/record_sensors.h"

#include "program/object_names.h"
#include "repository/object_path.h"

namespace norvwmi {

namespace {

std::string TextOfReference(const CimObject& object, std::string_view property) {
    const auto index = object.Find(property);
    const auto* text = index ? std::get_if<std::string>(&object.ValueAt(*index).data) : nullptr;
    return text != nullptr ? *text : std::string();
}

}  // namespace

std::map<std::string, std::string> RecordSensorNames(std::span<const CimObject> links,
                                                     std::span<const CimObject> sensors) {
    const ObjectNames served(sensors);
    std::map<std::string, std::string> names;
    for (const CimObject& link : links) {
        const auto record = ParseObjectPath(TextOfReference(link, "Antecedent"));
        const auto sensor = served.Find(TextOfReference(link, "Dependent"));
        if (record && sensor)
            names[FormatRelativePath(record->className, record->keys, record->singleton)] = *sensor;
    }
    return names;
}

}  // namespace norvwmi
