// The class repository as a platform shows it: a class the platform description makes
// absent (Norvwmi_AbsentClass) is not there at all, as a driver's class is not there when
// the driver that registers it is not installed; every other class and instance is the
// repository's.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "repository/repository_class_source.h"

namespace norvwmi {

struct ClassInNamespace {
    std::string nameSpace;
    std::string className;
};

class PlatformClassSource final : public RepositoryClassSource {
public:
    PlatformClassSource(Repository repository, std::vector<ClassInNamespace> absentClasses);

    // Every class the MOF files declared, the absent ones too.
    const Repository& Declared() const { return Classes(); }
    bool IsAbsent(std::string_view nameSpace, std::string_view className) const;

    const ClassDefinition* FindClass(std::string_view nameSpace,
                                     std::string_view className) const override;
    std::vector<const InstanceDefinition*> Instances(std::string_view nameSpace,
                                                     std::string_view className) const override;

private:
    std::vector<ClassInNamespace> absent_;
};

}  // namespace norvwmi
