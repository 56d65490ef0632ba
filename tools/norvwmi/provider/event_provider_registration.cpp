#include "provider/event_provider_registration.h"

#include "repository/instance_values.h"
#include "repository/name_compare.h"
#include "repository/object_path.h"
#include "repository/wql_lexer.h"

namespace norvwmi {
namespace {

constexpr std::string_view kEventRegistration = "__EventProviderRegistration";
constexpr std::string_view kWin32ProviderClass = "__Win32Provider";
constexpr std::string_view kExtrinsicEventClass = "__ExtrinsicEvent";

// The provider a registration's Provider reference names: __Win32Provider.Name="x".
std::optional<std::string> ProviderNameOf(const InstanceDefinition& registration) {
    const std::string* reference = TextOf(registration, "Provider");
    if (!reference) return std::nullopt;
    const auto path = ParseObjectPath(*reference);
    if (!path || !SameName(path->className, kWin32ProviderClass) || path->keys.size() != 1)
        return std::nullopt;
    const auto* name = std::get_if<std::string>(&path->keys.front().value.data);
    if (!name) return std::nullopt;
    return *name;
}

// Whether `className` is `ancestor` or derives from it in the namespace.
bool IsOrDerivesFrom(const ClassSource& classes, std::string_view nameSpace,
                     std::string_view className, std::string_view ancestor) {
    // A superclass is declared before its subclasses, so the chain ends.
    for (const ClassDefinition* definition = classes.FindClass(nameSpace, className); definition;
         definition = classes.FindClass(nameSpace, definition->superclass)) {
        if (SameName(definition->name, ancestor)) return true;
        if (definition->superclass.empty()) return false;
    }
    return SameName(className, ancestor);
}

// Whether some object can be of both classes: one of them is the other or derives from it.
bool Overlap(const ClassSource& classes, std::string_view nameSpace, std::string_view a,
             std::string_view b) {
    return IsOrDerivesFrom(classes, nameSpace, a, b) || IsOrDerivesFrom(classes, nameSpace, b, a);
}

// As WMI does, a registered query serves a subscription whenever an event it names could
// match the subscription's query: a query for __InstanceOperationEvent reaches the providers
// of its derived classes, a query for an extrinsic class those registered for the class or
// one derived from it, and the sink then hands on only the events of the query's classes.
// An intrinsic query is served by intrinsic registrations only, an extrinsic one by
// extrinsic ones; a registered WHERE narrows nothing here.
bool ListsQuery(const ClassSource& classes, std::string_view nameSpace,
                const InstanceDefinition& registration, const EventQuery& wanted) {
    const CimValue* list = ValueOf(registration, "EventQueryList");
    const auto* queries = list ? std::get_if<CimArray>(&list->data) : nullptr;
    if (!queries) return false;
    for (const CimValue& entry : *queries) {
        const auto* text = std::get_if<std::string>(&entry.data);
        const auto registered = text ? ParseEventQuery(*text) : std::nullopt;
        if (!registered || registered->intrinsic != wanted.intrinsic ||
            !Overlap(classes, nameSpace, registered->eventClass, wanted.eventClass))
            continue;
        if (!wanted.intrinsic ||
            Overlap(classes, nameSpace, registered->targetClass, wanted.targetClass))
            return true;
    }
    return false;
}

// Why an extrinsic query cannot be served whoever is registered: its class is not one of the
// namespace's, or does not derive from __ExtrinsicEvent (nor is it); nullopt when it can,
// and for every intrinsic query.
std::optional<ProviderLookup> RefusedEventClass(const ClassSource& classes,
                                                std::string_view nameSpace,
                                                const EventQuery& query) {
    if (query.intrinsic) return std::nullopt;
    ProviderLookup refused;
    refused.className = query.eventClass;
    if (!classes.FindClass(nameSpace, query.eventClass)) {
        refused.status = ProviderLookupStatus::NoClass;
        refused.detail = "no event class " + query.eventClass;
        return refused;
    }
    if (IsOrDerivesFrom(classes, nameSpace, query.eventClass, kExtrinsicEventClass))
        return std::nullopt;
    refused.status = ProviderLookupStatus::NotCapable;
    refused.detail = query.eventClass +
                     " is not an extrinsic event class: an event query of another class names "
                     "its target, WHERE TargetInstance ISA '<class>'";
    return refused;
}

}  // namespace

std::optional<EventQuery> ParseEventQuery(std::string_view query) {
    WqlLexer lexer(query);
    WqlToken token = lexer.Next();
    const auto take = [&](auto matches) {
        if (!matches(token)) return false;
        token = lexer.Next();
        return true;
    };
    const auto keyword = [&](std::string_view word) {
        return take([word](const WqlToken& t) { return IsKeyword(t, word); });
    };
    // WITHIN's seconds are written unsigned.
    const auto seconds = [](const WqlToken& t) {
        return t.kind == WqlToken::Kind::Number && t.text.front() != '-' && t.text.front() != '+';
    };
    if (!keyword("SELECT") || !take([](const WqlToken& t) { return IsSymbol(t, '*'); }) ||
        !keyword("FROM") || token.kind != WqlToken::Kind::Name)
        return std::nullopt;
    EventQuery parsed;
    parsed.eventClass = std::string(token.text);
    token = lexer.Next();
    if (keyword("WITHIN") && !take(seconds)) return std::nullopt;
    if (token.kind == WqlToken::Kind::End) return parsed;
    if (!keyword("WHERE")) return std::nullopt;
    std::size_t conditionStart = token.offset;
    if (IsKeyword(token, "TargetInstance")) {
        WqlLexer ahead = lexer;
        if (IsKeyword(ahead.Next(), "ISA")) {
            token = lexer.Next();
            token = lexer.Next();
            if (token.kind != WqlToken::Kind::Text) return std::nullopt;
            parsed.intrinsic = true;
            parsed.targetClass = std::string(token.text);
            token = lexer.Next();
            if (token.kind == WqlToken::Kind::End) return parsed;
            if (!keyword("AND")) return std::nullopt;
            conditionStart = token.offset;
        }
    }
    auto condition = ParseWqlCondition(query.substr(conditionStart));
    if (!std::holds_alternative<WqlCondition>(condition)) return std::nullopt;
    parsed.condition = std::move(std::get<WqlCondition>(condition));
    return parsed;
}

std::vector<ProviderLookup> FindEventProviders(const ClassSource& classes,
                                               std::string_view nameSpace,
                                               const EventQuery& query) {
    if (auto refused = RefusedEventClass(classes, nameSpace, query)) return {*refused};
    ProviderLookup lookup;
    lookup.className = query.intrinsic ? query.targetClass
                                       : classes.FindClass(nameSpace, query.eventClass)->name;
    std::vector<ProviderLookup> found;
    for (const InstanceDefinition* registration :
         classes.Instances(nameSpace, kEventRegistration)) {
        const auto providerName = ProviderNameOf(*registration);
        if (!providerName || !ListsQuery(classes, nameSpace, *registration, query)) continue;
        lookup.providerName = *providerName;
        lookup.clsid.clear();
        lookup.status = ProviderLookupStatus::ProviderNotFound;
        lookup.detail = "no __Win32Provider named " + *providerName;
        for (const InstanceDefinition* provider :
             classes.Instances(nameSpace, kWin32ProviderClass)) {
            const std::string* name = TextOf(*provider, "Name");
            if (!name || !SameName(*name, *providerName)) continue;
            const std::string* clsid = TextOf(*provider, "CLSID");
            if (!clsid || clsid->empty()) {
                lookup.status = ProviderLookupStatus::InvalidRegistration;
                lookup.detail = "the __Win32Provider " + *providerName + " has no CLSID";
            } else {
                lookup.status = ProviderLookupStatus::Found;
                lookup.detail.clear();
                lookup.clsid = *clsid;
            }
            break;
        }
        if (lookup.status != ProviderLookupStatus::Found) return {lookup};
        found.push_back(lookup);
    }
    if (!found.empty()) return found;
    lookup.status = ProviderLookupStatus::NotCapable;
    lookup.detail = "no event provider is registered for " + query.eventClass +
                    (query.intrinsic ? " of " + query.targetClass : std::string());
    return {lookup};
}

}  // namespace norvwmi
