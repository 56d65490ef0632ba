// The class repository as the source of the namespaces the host serves: every class and
// instance the MOF files declared. A platform leaves some of them out
// (simulated_driver/platform_class_source.h).
#pragma once

#include "repository/class_source.h"
#include "repository/repository.h"

namespace norvwmi {

class RepositoryClassSource : public ClassSource {
public:
    explicit RepositoryClassSource(Repository repository) : repository_(std::move(repository)) {}

    const Repository& Classes() const { return repository_; }

    std::optional<std::string> FindNamespace(std::string_view nameSpace) const final;
    const ClassDefinition* FindClass(std::string_view nameSpace,
                                     std::string_view className) const override;
    std::vector<const InstanceDefinition*> Instances(std::string_view nameSpace,
                                                     std::string_view className) const override;

private:
    Repository repository_;
};

}  // namespace norvwmi
