#include "provider/provider_registration.h"

#include <algorithm>
#include <optional>

#include "repository/instance_values.h"
#include "repository/name_compare.h"
#include "repository/object_path.h"

namespace norvwmi {

namespace {

constexpr std::string_view kWin32Provider = "__Win32Provider";
constexpr std::string_view kInstanceRegistration = "__InstanceProviderRegistration";
constexpr std::string_view kMethodRegistration = "__MethodProviderRegistration";
constexpr std::string_view kClassRegistration = "__ClassProviderRegistration";

const Qualifier* FindQualifier(const std::vector<Qualifier>& qualifiers, std::string_view name) {
    const auto found = std::find_if(qualifiers.begin(), qualifiers.end(),
                                    [&](const Qualifier& q) { return SameName(q.name, name); });
    return found == qualifiers.end() ? nullptr : &*found;
}

bool IsTrue(const CimValue& value) {
    const bool* flag = std::get_if<bool>(&value.data);
    return flag && *flag;
}

// Whether the registration supports the operation: of instances (and methods), or with
// `ofClasses` of classes.
bool Supports(const InstanceDefinition& registration, ProviderOperation operation,
              bool ofClasses = false) {
    if (SameName(registration.className, kMethodRegistration))
        return !ofClasses && operation == ProviderOperation::ExecMethod;
    if (!SameName(registration.className, ofClasses ? kClassRegistration : kInstanceRegistration))
        return false;
    if (operation == ProviderOperation::Query) {
        const CimValue* levels = ValueOf(registration, "QuerySupportLevels");
        const auto* array = levels ? std::get_if<CimArray>(&levels->data) : nullptr;
        return array && std::any_of(array->begin(), array->end(), [](const CimValue& level) {
                   const auto* text = std::get_if<std::string>(&level.data);
                   return text && SameName(*text, kUnarySelectSupport);
               });
    }
    const char* capability =
        operation == ProviderOperation::Enumerate || operation == ProviderOperation::EnumerateClasses
            ? "SupportsEnumeration"
        : operation == ProviderOperation::Get ? "SupportsGet"
                                              : nullptr;
    const CimValue* value = capability ? ValueOf(registration, capability) : nullptr;
    return value && IsTrue(*value);
}

ProviderLookup Failure(ProviderLookup lookup, ProviderLookupStatus status, std::string detail) {
    lookup.status = status;
    lookup.detail = std::move(detail);
    return lookup;
}

// The __Win32Provider named lookup.providerName and its CLSID.
ProviderLookup WithClsid(const ClassSource& classes, std::string_view nameSpace,
                         ProviderLookup lookup) {
    const InstanceDefinition* registered = nullptr;
    for (const InstanceDefinition* instance : classes.Instances(nameSpace, kWin32Provider)) {
        const std::string* name = TextOf(*instance, "Name");
        if (name && SameName(*name, lookup.providerName)) registered = instance;
    }
    if (!registered)
        return Failure(std::move(lookup), ProviderLookupStatus::ProviderNotFound,
                       "no __Win32Provider named " + lookup.providerName);
    const std::string* clsid = TextOf(*registered, "CLSID");
    if (!clsid || clsid->empty())
        return Failure(std::move(lookup), ProviderLookupStatus::InvalidRegistration,
                       "the __Win32Provider " + lookup.providerName + " has no CLSID");
    lookup.clsid = *clsid;
    return lookup;
}

// The Name key of a registration's Provider reference, __Win32Provider.Name="x".
std::optional<std::string> ProviderNamed(const InstanceDefinition& registration) {
    const std::string* reference = TextOf(registration, "Provider");
    const auto path = reference ? ParseObjectPath(*reference) : std::nullopt;
    if (!path || !SameName(path->className, kWin32Provider) || path->keys.size() != 1)
        return std::nullopt;
    const KeyBinding& key = path->keys.front();
    const auto* name = std::get_if<std::string>(&key.value.data);
    if (!name || !(key.name.empty() || SameName(key.name, "Name"))) return std::nullopt;
    return *name;
}

}  // namespace

ProviderLookup FindProvider(const ClassSource& classes, std::string_view nameSpace,
                            std::string_view className, ProviderOperation operation,
                            std::string_view methodName) {
    ProviderLookup lookup;
    const ClassDefinition* definition = classes.FindClass(nameSpace, className);
    if (!definition)
        return Failure(std::move(lookup), ProviderLookupStatus::NoClass,
                       std::string(nameSpace) + " has no class " + std::string(className));
    lookup.className = definition->name;

    if (operation == ProviderOperation::ExecMethod) {
        const MethodDefinition* method = definition->FindMethod(methodName);
        if (!method)
            return Failure(std::move(lookup), ProviderLookupStatus::NoMethod,
                           definition->name + " has no method " + std::string(methodName));
        const Qualifier* implemented = FindQualifier(method->qualifiers, "Implemented");
        if (!implemented || !IsTrue(implemented->value))
            return Failure(std::move(lookup), ProviderLookupStatus::MethodNotImplemented,
                           definition->name + "." + method->name + " is not [Implemented]");
    }

    const Qualifier* provider = FindQualifier(definition->qualifiers, "provider");
    const auto* providerName = provider ? std::get_if<std::string>(&provider->value.data) : nullptr;
    if (!providerName) {
        if (operation == ProviderOperation::ExecMethod)
            return Failure(std::move(lookup), ProviderLookupStatus::NotCapable,
                           definition->name + " has no provider to run its methods");
        return Failure(std::move(lookup), ProviderLookupStatus::StaticClass,
                       definition->name + " has no provider");
    }
    lookup.providerName = *providerName;

    lookup = WithClsid(classes, nameSpace, std::move(lookup));
    if (lookup.status != ProviderLookupStatus::Found) return lookup;

    const auto registrations = classes.Instances(nameSpace, "__ProviderRegistration");
    const bool capable = std::any_of(registrations.begin(), registrations.end(),
                                     [&](const InstanceDefinition* registration) {
                                         const auto named = ProviderNamed(*registration);
                                         return named && SameName(*named, *providerName) &&
                                                Supports(*registration, operation);
                                     });
    if (!capable) {
        lookup.clsid.clear();
        return Failure(std::move(lookup), ProviderLookupStatus::NotCapable,
                       *providerName + " is not registered for this operation");
    }
    return lookup;
}

ProviderLookup FindClassProvider(const ClassSource& classes, std::string_view nameSpace,
                                 ProviderOperation operation) {
    ProviderLookup lookup;
    const auto registrations = classes.Instances(nameSpace, kClassRegistration);
    if (registrations.empty())
        return Failure(std::move(lookup), ProviderLookupStatus::StaticClass,
                       std::string(nameSpace) + " has no class provider");
    for (const InstanceDefinition* registration : registrations) {
        const auto named = ProviderNamed(*registration);
        if (!named || !Supports(*registration, operation, true)) continue;
        lookup.providerName = *named;
        return WithClsid(classes, nameSpace, std::move(lookup));
    }
    return Failure(std::move(lookup), ProviderLookupStatus::NotCapable,
                   "no class provider of " + std::string(nameSpace) +
                       " is registered for this operation");
}

}  // namespace norvwmi
