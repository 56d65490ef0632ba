// A platform whose health data changes while the host runs (norvwmi --perturb, the timed
// directives): its namespaces and classes are the described platform's, absent classes
// included; which instances of its changing classes it serves is its own.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "simulated_driver/platform_class_source.h"

namespace norvwmi {

class ChangingClassSource : public ClassSource {
public:
    std::optional<std::string> FindNamespace(std::string_view nameSpace) const final {
        return described_->FindNamespace(nameSpace);
    }
    const ClassDefinition* FindClass(std::string_view nameSpace,
                                     std::string_view className) const final {
        return described_->FindClass(nameSpace, className);
    }

protected:
    explicit ChangingClassSource(std::shared_ptr<const PlatformClassSource> described)
        : described_(std::move(described)) {}

    const PlatformClassSource& Described() const { return *described_; }

private:
    std::shared_ptr<const PlatformClassSource> described_;
};

}  // namespace norvwmi
