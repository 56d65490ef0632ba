// The association engine's objects taken as WMI takes them (repository/association_query.h):
// each GetObject and each enumeration is a request of its own through the provider
// registered for its class, with every check of a provider call.
#pragma once

#include <string>
#include <vector>

#include "provider/provider_call.h"
#include "repository/association_query.h"

namespace norvwmi {

class ProviderObjects final : public AssociationObjects {
public:
    ProviderObjects(const ProviderModule& module, const ProviderHost& host)
        : module_(module), host_(host) {}

    ObjectsAnswer Get(const std::string& path) override;
    ObjectsAnswer Enumerate(const std::string& className) override;

    // The provider faults of every request, each after the request that showed it.
    const std::vector<std::string>& Problems() const { return problems_; }

private:
    ObjectsAnswer Run(ProviderOperation operation, const std::string& target);

    const ProviderModule& module_;
    const ProviderHost& host_;
    std::vector<std::string> problems_;
};

}  // namespace norvwmi
