#include "simulated_driver/platform_class_source.h"

#include <algorithm>

#include "repository/name_compare.h"

namespace norvwmi {

PlatformClassSource::PlatformClassSource(Repository repository,
                                         std::vector<ClassInNamespace> absentClasses)
    : repository_(std::move(repository)), absent_(std::move(absentClasses)) {}

bool PlatformClassSource::IsAbsent(std::string_view nameSpace, std::string_view className) const {
    return std::any_of(absent_.begin(), absent_.end(), [&](const ClassInNamespace& absent) {
        return SameName(absent.nameSpace, nameSpace) && SameName(absent.className, className);
    });
}

std::optional<std::string> PlatformClassSource::FindNamespace(std::string_view nameSpace) const {
    for (const std::string& name : repository_.Namespaces())
        if (SameName(name, nameSpace)) return name;
    return std::nullopt;
}

const ClassDefinition* PlatformClassSource::FindClass(std::string_view nameSpace,
                                                      std::string_view className) const {
    if (IsAbsent(nameSpace, className)) return nullptr;
    return repository_.FindClass(nameSpace, className);
}

std::vector<const InstanceDefinition*> PlatformClassSource::Instances(
    std::string_view nameSpace, std::string_view className) const {
    if (IsAbsent(nameSpace, className)) return {};
    std::vector<const InstanceDefinition*> instances =
        repository_.Instances(nameSpace, className, /*deep=*/true);
    std::erase_if(instances, [&](const InstanceDefinition* instance) {
        return IsAbsent(nameSpace, instance->className);
    });
    return instances;
}

}  // namespace norvwmi
