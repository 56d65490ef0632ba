#include "simulated_driver/platform_class_source.h"

#include <algorithm>

#include "repository/name_compare.h"

namespace norvwmi {

PlatformClassSource::PlatformClassSource(Repository repository,
                                         std::vector<ClassInNamespace> absentClasses)
    : RepositoryClassSource(std::move(repository)), absent_(std::move(absentClasses)) {}

bool PlatformClassSource::IsAbsent(std::string_view nameSpace, std::string_view className) const {
    return std::any_of(absent_.begin(), absent_.end(), [&](const ClassInNamespace& absent) {
        return SameName(absent.nameSpace, nameSpace) && SameName(absent.className, className);
    });
}

const ClassDefinition* PlatformClassSource::FindClass(std::string_view nameSpace,
                                                      std::string_view className) const {
    if (IsAbsent(nameSpace, className)) return nullptr;
    return RepositoryClassSource::FindClass(nameSpace, className);
}

std::vector<const InstanceDefinition*> PlatformClassSource::Instances(
    std::string_view nameSpace, std::string_view className) const {
    if (IsAbsent(nameSpace, className)) return {};
    std::vector<const InstanceDefinition*> instances =
        RepositoryClassSource::Instances(nameSpace, className);
    std::erase_if(instances, [&](const InstanceDefinition* instance) {
        return IsAbsent(nameSpace, instance->className);
    });
    return instances;
}

}  // namespace norvwmi
