// The association engine's objects taken as WMI takes them (repository/association_query.h):
// each GetObject, enumeration and query is a request of its own through the provider
// registered for its class, with every check of a provider call; the providers are those
// of one session (provider_session.h), kept for every request of the query.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "provider/provider_session.h"
#include "repository/association_query.h"

namespace norvwmi {

class ProviderObjects final : public AssociationObjects {
public:
    ProviderObjects(const ProviderModule& module, const ProviderHost& host)
        : host_(host), session_(module, host) {}

    ObjectsAnswer Get(const std::string& path) override;
    ObjectsAnswer Enumerate(const std::string& className) override;
    // The query WMI sends (repository/reference_select.h) when the class's provider is
    // registered for unary SELECTs; an enumeration when it is not, or when it answers
    // WBEM_E_PROVIDER_NOT_CAPABLE, as WMI falls back.
    ObjectsAnswer Referencing(const std::string& className, const std::vector<std::string>& roles,
                              const std::string& sourcePath) override;

    // Releases the session's providers; the provider faults of every request, each after
    // the request that showed it, then those found once every reference is gone.
    std::vector<std::string> End();

private:
    ObjectsAnswer Run(ProviderOperation operation, const std::string& target,
                      const std::string& query = {});

    const ProviderHost& host_;
    ProviderSession session_;
    std::vector<std::string> problems_;
};

struct ProviderAssociationAnswer {
    ObjectsAnswer answer;
    std::vector<std::string> problems;  // the provider faults of every request
};

// ASSOCIATORS OF or REFERENCES OF in the host's namespace, whose classes are `classNames`,
// answered through the module's providers as `norvwmi query` answers it.
ProviderAssociationAnswer RunProviderAssociationQuery(const ProviderModule& module,
                                                      const ProviderHost& host,
                                                      const std::vector<std::string>& classNames,
                                                      std::string_view query);

}  // namespace norvwmi
