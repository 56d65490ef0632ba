// Answering the requests of a namespace's services from the served classes: a WQL
// SELECT, an instance enumeration and a lookup by object path. The COM side turns the
// statuses into WMI's codes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "repository/cim_object.h"
#include "repository/served_namespaces.h"

namespace norvwmi {

enum class RequestStatus {
    Ok,
    InvalidQuery,      // not a SELECT, or a select list naming no property of the class
    Unsupported,       // valid WQL the host does not evaluate (WHERE, ASSOCIATORS OF, ...)
    InvalidClass,      // a query, enumeration or instance path naming no class
    InvalidPath,       // not an object path, or not naming exactly the class's keys
    InvalidNamespace,  // a path naming a namespace that is not served
    NotFound,          // no such class (class path) or no instance with those keys
    InvalidInstance,   // the source holds an instance its class cannot hold
};

struct RequestResult {
    RequestStatus status = RequestStatus::Ok;
    std::string detail;              // why, for a status other than Ok
    std::string className;           // the class queried or enumerated, as declared
    std::vector<CimObject> objects;  // in the source's order
};

struct QueryOptions {
    bool directRead = false;       // WBEM_FLAG_DIRECT_READ / shallow: no derived classes
    bool ensureLocatable = false;  // WBEM_FLAG_ENSURE_LOCATABLE: projections keep the keys
};

RequestResult RunWqlSelect(const ServedNamespaces& served, std::string_view nameSpace,
                           std::string_view query, QueryOptions options);
RequestResult EnumerateInstances(const ServedNamespaces& served, std::string_view nameSpace,
                                 std::string_view className, QueryOptions options);
// One object: a class by its name, an instance by its keys.
RequestResult LookupObject(const ServedNamespaces& served, std::string_view nameSpace,
                           std::string_view path);

}  // namespace norvwmi
