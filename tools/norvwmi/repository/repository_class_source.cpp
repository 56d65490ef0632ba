#include "repository/repository_class_source.h"

#include "repository/name_compare.h"

namespace norvwmi {

std::optional<std::string> RepositoryClassSource::FindNamespace(std::string_view nameSpace) const {
    for (const std::string& name : repository_.Namespaces())
        if (SameName(name, nameSpace)) return name;
    return std::nullopt;
}

const ClassDefinition* RepositoryClassSource::FindClass(std::string_view nameSpace,
                                                        std::string_view className) const {
    return repository_.FindClass(nameSpace, className);
}

std::vector<const InstanceDefinition*> RepositoryClassSource::Instances(
    std::string_view nameSpace, std::string_view className) const {
    return repository_.Instances(nameSpace, className, /*deep=*/true);
}

}  // namespace norvwmi
