#include "provider/provider_registration.h"

#include <algorithm>

#include "repository/instance_values.h"
#include "repository/name_compare.h"
#include "repository/object_path.h"

namespace norvwmi {

namespace {

constexpr std::string_view kWin32Provider = "__Win32Provider";
constexpr std::string_view kInstanceRegistration = "__InstanceProviderRegistration";
constexpr std::string_view kMethodRegistration = "__MethodProviderRegistration";

const Qualifier* FindQualifier(const std::vector<Qualifier>& qualifiers, std::string_view name) {
    const auto found = std::find_if(qualifiers.begin(), qualifiers.end(),
                                    [&](const Qualifier& q) { return SameName(q.name, name); });
    return found == qualifiers.end() ? nullptr : &*found;
}

bool IsTrue(const CimValue& value) {
    const bool* flag = std::get_if<bool>(&value.data);
    return flag && *flag;
}

// Whether a registration's Provider reference names the provider: __Win32Provider.Name="x".
bool NamesProvider(const InstanceDefinition& registration, std::string_view providerName) {
    const std::string* reference = TextOf(registration, "Provider");
    if (!reference) return false;
    const auto path = ParseObjectPath(*reference);
    if (!path || !SameName(path->className, kWin32Provider) || path->keys.size() != 1) return false;
    const KeyBinding& key = path->keys.front();
    const auto* name = std::get_if<std::string>(&key.value.data);
    return (key.name.empty() || SameName(key.name, "Name")) && name &&
           SameName(*name, providerName);
}

bool Supports(const InstanceDefinition& registration, ProviderOperation operation) {
    if (SameName(registration.className, kMethodRegistration))
        return operation == ProviderOperation::ExecMethod;
    if (!SameName(registration.className, kInstanceRegistration)) return false;
    if (operation == ProviderOperation::Query) {
        const CimValue* levels = ValueOf(registration, "QuerySupportLevels");
        const auto* array = levels ? std::get_if<CimArray>(&levels->data) : nullptr;
        return array && std::any_of(array->begin(), array->end(), [](const CimValue& level) {
                   const auto* text = std::get_if<std::string>(&level.data);
                   return text && SameName(*text, kUnarySelectSupport);
               });
    }
    const char* capability = operation == ProviderOperation::Enumerate ? "SupportsEnumeration"
                             : operation == ProviderOperation::Get     ? "SupportsGet"
                                                                       : nullptr;
    const CimValue* value = capability ? ValueOf(registration, capability) : nullptr;
    return value && IsTrue(*value);
}

ProviderLookup Failure(ProviderLookup lookup, ProviderLookupStatus status, std::string detail) {
    lookup.status = status;
    lookup.detail = std::move(detail);
    return lookup;
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

    const InstanceDefinition* registered = nullptr;
    for (const InstanceDefinition* instance : classes.Instances(nameSpace, kWin32Provider)) {
        const std::string* name = TextOf(*instance, "Name");
        if (name && SameName(*name, *providerName)) registered = instance;
    }
    if (!registered)
        return Failure(std::move(lookup), ProviderLookupStatus::ProviderNotFound,
                       "no __Win32Provider named " + *providerName);
    const std::string* clsid = TextOf(*registered, "CLSID");
    if (!clsid || clsid->empty())
        return Failure(std::move(lookup), ProviderLookupStatus::InvalidRegistration,
                       "the __Win32Provider " + *providerName + " has no CLSID");

    const auto registrations = classes.Instances(nameSpace, "__ProviderRegistration");
    const bool capable = std::any_of(registrations.begin(), registrations.end(),
                                     [&](const InstanceDefinition* registration) {
                                         return NamesProvider(*registration, *providerName) &&
                                                Supports(*registration, operation);
                                     });
    if (!capable)
        return Failure(std::move(lookup), ProviderLookupStatus::NotCapable,
                       *providerName + " is not registered for this operation");
    lookup.clsid = *clsid;
    return lookup;
}

}  // namespace norvwmi
