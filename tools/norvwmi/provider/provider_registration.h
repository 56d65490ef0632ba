// Which provider WMI hands a request to: the class's `provider` qualifier names a
// __Win32Provider of the class's namespace, whose CLSID is the COM class to create; an
// __InstanceProviderRegistration of that provider must support the operation
// (SupportsEnumeration, SupportsGet; a query "WQL:UnarySelect" among its QuerySupportLevels),
// and a method call needs an __MethodProviderRegistration and a method marked [Implemented].
// A class the repository does not hold is asked of the namespace's class provider: the first
// __Win32Provider named by an __ClassProviderRegistration that supports the operation
// (SupportsGet for a class, SupportsEnumeration for the class listing).
#pragma once

#include <string>
#include <string_view>

#include "repository/class_source.h"

namespace norvwmi {

// EnumerateClasses is the class listing a class provider gives (CreateClassEnumAsync).
enum class ProviderOperation { Enumerate, Get, ExecMethod, Query, EnumerateClasses };

// The support level a provider declares to be handed unary SELECTs of its classes.
inline constexpr std::string_view kUnarySelectSupport = "WQL:UnarySelect";

enum class ProviderLookupStatus {
    Found,
    StaticClass,           // no provider qualifier, or no class provider registered: WMI
                           // answers from its repository
    NoClass,               // WBEM_E_INVALID_CLASS
    NoMethod,              // WBEM_E_INVALID_METHOD
    MethodNotImplemented,  // WBEM_E_METHOD_NOT_IMPLEMENTED: declared without [Implemented]
    ProviderNotFound,      // WBEM_E_PROVIDER_NOT_FOUND: no __Win32Provider of that name
    InvalidRegistration,   // WBEM_E_INVALID_PROVIDER_REGISTRATION: the provider has no CLSID
    NotCapable,            // WBEM_E_PROVIDER_NOT_CAPABLE: not registered for the operation
};

struct ProviderLookup {
    ProviderLookupStatus status = ProviderLookupStatus::Found;
    std::string detail;        // why, for a status other than Found
    std::string className;     // as declared
    std::string providerName;  // Found: the __Win32Provider's Name
    std::string clsid;         // Found: its CLSID text, "{...}"
};

// `methodName` is read for ExecMethod only.
ProviderLookup FindProvider(const ClassSource& classes, std::string_view nameSpace,
                            std::string_view className, ProviderOperation operation,
                            std::string_view methodName = {});

// The class provider of the namespace for Get (of a class) or EnumerateClasses.
ProviderLookup FindClassProvider(const ClassSource& classes, std::string_view nameSpace,
                                 ProviderOperation operation);

}  // namespace norvwmi
