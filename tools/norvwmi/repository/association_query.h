// ASSOCIATORS OF and REFERENCES OF answered as the WMI service answers them for a namespace
// whose association classes are served by providers. The source is taken with GetObject;
// the instances of each association class of the namespace whose references can name the
// source (a typed reference when the source's class is that class or derives from it, an
// object reference always) are asked for (AssociationObjects::Referencing) and those one of
// whose references names the source are kept; for ASSOCIATORS OF each other end is taken with GetObject, each distinct end once,
// and given once per association that links it. A class as the source makes a schema query:
// the association classes, or the classes at their other ends, that can name it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "repository/cim_object.h"
#include "repository/served_namespaces.h"

namespace norvwmi {

// The WMI statuses the engine gives itself; any other comes from a provider.
inline constexpr std::uint32_t kWbemNoError = 0;
inline constexpr std::uint32_t kWbemNotFound = 0x80041002;
inline constexpr std::uint32_t kWbemInvalidClass = 0x80041010;
inline constexpr std::uint32_t kWbemInvalidQuery = 0x80041017;
inline constexpr std::uint32_t kWbemInvalidObjectPath = 0x8004103A;
inline constexpr std::uint32_t kWbemInvalidNamespace = 0x8004100E;
inline constexpr std::uint32_t kWbemProviderNotCapable = 0x80041024;

struct ObjectsAnswer {
    std::uint32_t status = kWbemNoError;
    std::string step;    // what gave a failure
    std::string detail;  // why, when the engine itself refused
    std::vector<CimObject> objects;
};

// How the engine reaches objects: through the provider registered for each class, as WMI
// does, or straight from a repository.
class AssociationObjects {
public:
    virtual ~AssociationObjects() = default;
    virtual ObjectsAnswer Get(const std::string& path) = 0;
    virtual ObjectsAnswer Enumerate(const std::string& className) = 0;
    // Instances of an association class among which are all those whose references `roles`
    // name the source (at `sourcePath`, its full path); the engine keeps only those. Every
    // instance, unless the class's provider answers the query WMI sends for them.
    virtual ObjectsAnswer Referencing(const std::string& className,
                                      const std::vector<std::string>& /*roles*/,
                                      const std::string& /*sourcePath*/) {
        return Enumerate(className);
    }
};

// `classNames` are the classes of the namespace the engine looks through for associations.
ObjectsAnswer RunAssociationQuery(const ServedNamespaces& served, std::string_view nameSpace,
                                  const std::vector<std::string>& classNames,
                                  std::string_view query, AssociationObjects& objects);

}  // namespace norvwmi
