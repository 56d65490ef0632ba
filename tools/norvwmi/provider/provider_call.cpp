#include "provider/provider_call.h"

#include <wbemprov.h>

#include <array>

#include "com/class_object.h"
#include "com/completion_check.h"
#include "com/recording_sink.h"
#include "com/variant_conversion.h"
#include "com/wbem_hresult.h"
#include "com/wbem_services.h"
#include "com/wbem_status_names.h"
#include "com/wide_text.h"
#include "provider/provider_class_object.h"
#include "repository/object_path.h"

namespace norvwmi {

namespace {

using norv::win::ComPtr;

struct LookupCode {
    ProviderLookupStatus status;
    HRESULT code;
};

constexpr std::array kLookupCodes{
    LookupCode{ProviderLookupStatus::NoClass, Wbem(WBEM_E_INVALID_CLASS)},
    LookupCode{ProviderLookupStatus::NoMethod, Wbem(WBEM_E_INVALID_METHOD)},
    LookupCode{ProviderLookupStatus::MethodNotImplemented, Wbem(WBEM_E_METHOD_NOT_IMPLEMENTED)},
    LookupCode{ProviderLookupStatus::ProviderNotFound, Wbem(WBEM_E_PROVIDER_NOT_FOUND)},
    LookupCode{ProviderLookupStatus::InvalidRegistration,
               Wbem(WBEM_E_INVALID_PROVIDER_REGISTRATION)},
    LookupCode{ProviderLookupStatus::NotCapable, Wbem(WBEM_E_PROVIDER_NOT_CAPABLE)},
};

HRESULT CodeOf(ProviderLookupStatus status) {
    for (const LookupCode& entry : kLookupCodes)
        if (entry.status == status) return entry.code;
    return Wbem(WBEM_E_FAILED);
}

ProviderOutcome Failed(HRESULT status, std::string step, std::string detail = {}) {
    ProviderOutcome outcome;
    outcome.status = status;
    outcome.step = std::move(step);
    outcome.detail = std::move(detail);
    return outcome;
}

const char* StepName(ProviderOperation operation) {
    switch (operation) {
        case ProviderOperation::Enumerate:
            return "CreateInstanceEnumAsync";
        case ProviderOperation::Get:
            return "GetObjectAsync";
        case ProviderOperation::ExecMethod:
            return "ExecMethodAsync";
        case ProviderOperation::Query:
            return "ExecQueryAsync";
        case ProviderOperation::EnumerateClasses:
            return "CreateClassEnumAsync";
    }
    return "";
}

// Runs `call` in a server call context; a thread left impersonating is a problem or a
// warning, as the host says.
template <typename Call>
HRESULT InCallContext(const ProviderHost& host, const char* step, ProviderOutcome& outcome,
                      Call&& call) {
    ServerCallContext context(host.clientLevel);
    if (FAILED(context.Status())) return context.Status();
    const HRESULT result = call();
    context.End();
    if (context.LeftImpersonating())
        (host.leftImpersonatingIsFault ? outcome.problems : outcome.warnings)
            .push_back(std::string(step) + " returned with the thread still impersonating "
                                           "the client");
    return result;
}

// The values a client's in-parameters object holds, put over `parameters`: each of its
// properties that is not null, read and put by name; a value the parameter's type does not
// take is WBEM_E_INVALID_METHOD_PARAMETERS, and a property the method does not declare is
// left out, as WMI hands a provider only its declared parameters.
HRESULT PutClientValues(IWbemClassObject& client, IWbemClassObject& parameters) {
    NORV_RETURN_IF_FAILED(parameters.BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY));
    for (;;) {
        norv::win::UniqueBstr name;
        const HRESULT next = parameters.Next(0, name.put(), nullptr, nullptr, nullptr);
        if (next == WBEM_S_NO_MORE_DATA) break;
        NORV_RETURN_IF_FAILED(next);
        norv::win::UniqueVariant value;
        if (FAILED(client.Get(name.get(), 0, &value, nullptr, nullptr)) ||
            V_VT(&value) == VT_NULL || V_VT(&value) == VT_EMPTY)
            continue;
        if (FAILED(parameters.Put(name.get(), 0, &value, 0)))
            return Wbem(WBEM_E_INVALID_METHOD_PARAMETERS);
    }
    return parameters.EndEnumeration();
}

// The in-parameters the provider gets: an instance of the method's in-signature, which holds
// the declared defaults, with the given values put; null when the method takes none.
HRESULT InParameters(IWbemServices* services, const std::string& className,
                     const ProviderRequest& request, ComPtr<IWbemClassObject>& parameters) {
    ComPtr<IWbemClassObject> definition;
    NORV_RETURN_IF_FAILED(
        services->GetObject(MakeBstr(className).get(), 0, nullptr, definition.put(), nullptr));
    ComPtr<IWbemClassObject> signature;
    NORV_RETURN_IF_FAILED(
        definition->GetMethod(Utf8ToWide(request.method).c_str(), 0, signature.put(), nullptr));
    if (!signature) return WBEM_S_NO_ERROR;
    NORV_RETURN_IF_FAILED(signature->SpawnInstance(0, parameters.put()));
    if (request.clientInParameters)
        NORV_RETURN_IF_FAILED(PutClientValues(*request.clientInParameters.get(), *parameters.get()));
    for (const MethodArgument& argument : request.inParameters) {
        norv::win::UniqueVariant value;
        NORV_RETURN_IF_FAILED(ToVariant(argument.value, argument.type, false, value));
        NORV_RETURN_IF_FAILED(parameters->Put(Utf8ToWide(argument.name).c_str(), 0, &value, 0));
    }
    return WBEM_S_NO_ERROR;
}

HRESULT Request(IWbemServices* provider, IWbemServices* nameSpace, const ProviderRequest& request,
                IWbemObjectSink* sink) {
    const auto target = MakeBstr(request.target);
    switch (request.operation) {
        case ProviderOperation::Enumerate:
            return provider->CreateInstanceEnumAsync(target.get(), 0, nullptr, sink);
        case ProviderOperation::Get:
            return provider->GetObjectAsync(target.get(), 0, nullptr, sink);
        case ProviderOperation::Query:
            return provider->ExecQueryAsync(MakeBstr("WQL").get(), MakeBstr(request.query).get(),
                                            0, nullptr, sink);
        case ProviderOperation::EnumerateClasses:
            return provider->CreateClassEnumAsync(target.get(), WBEM_FLAG_DEEP, nullptr, sink);
        case ProviderOperation::ExecMethod: {
            const auto path = ParseObjectPath(request.target);
            if (!path) return Wbem(WBEM_E_INVALID_OBJECT_PATH);
            ComPtr<IWbemClassObject> parameters;
            NORV_RETURN_IF_FAILED(
                InParameters(nameSpace, path->className, request, parameters));
            return provider->ExecMethodAsync(target.get(), MakeBstr(request.method).get(), 0,
                                             nullptr, parameters.get(), sink);
        }
    }
    return E_UNEXPECTED;
}

// Whether the request asks for classes: the class listing, or a class path.
bool AsksForClasses(const ProviderRequest& request) {
    if (request.operation == ProviderOperation::EnumerateClasses) return true;
    if (request.operation != ProviderOperation::Get) return false;
    const auto path = ParseObjectPath(request.target);
    return path && path->IsClass();
}

void CheckObjects(const ProviderRequest& request, ProviderOutcome& outcome) {
    const Genus asked = AsksForClasses(request) ? Genus::Class : Genus::Instance;
    for (const auto& object : outcome.objects) {
        const ClassObject* ours = ClassObject::Implementation(object.get());
        if (!ours) {
            outcome.problems.push_back(
                "an indicated object was not made by the host (objects "
                "come from SpawnInstance of the namespace's classes)");
            break;
        }
        if (request.operation != ProviderOperation::ExecMethod &&
            ours->Snapshot().GetGenus() != asked) {
            outcome.problems.push_back(asked == Genus::Class
                                           ? "an indicated object is an instance, not a class"
                                           : "an indicated object is a class, not an instance");
            break;
        }
    }
    const bool one = request.operation == ProviderOperation::Get ||
                     request.operation == ProviderOperation::ExecMethod;
    if (one && SUCCEEDED(outcome.status) && outcome.objects.size() != 1)
        outcome.problems.push_back(outcome.step + " succeeded with " +
                                   std::to_string(outcome.objects.size()) +
                                   " objects; a client expects exactly one");
}

// The class a request is about: the enumeration's class, or the class of the path.
std::variant<ObjectPath, ProviderOutcome> RequestPath(const ServedNamespaces& served,
                                                      const std::string& nameSpace,
                                                      const ProviderRequest& request) {
    if (request.operation == ProviderOperation::Enumerate ||
        request.operation == ProviderOperation::Query ||
        request.operation == ProviderOperation::EnumerateClasses) {
        ObjectPath path;
        path.className = request.target;
        return path;
    }
    auto path = ParseObjectPath(request.target);
    if (!path)
        return Failed(Wbem(WBEM_E_INVALID_OBJECT_PATH), "the object path",
                      "'" + request.target + "' is not an object path");
    if (!path->namespaces.empty()) {
        const auto resolved = served.ResolveNamespace(path->NamespaceText());
        if (!resolved || *resolved != nameSpace)
            return Failed(Wbem(WBEM_E_INVALID_NAMESPACE), "the object path",
                          "the provider's namespace is " + nameSpace);
    }
    return *path;
}

// What WMI answers itself for a class without a provider, or a class path.
ProviderOutcome FromRepository(IWbemServices* nameSpace, const ProviderRequest& request) {
    ProviderOutcome outcome;
    const auto target = MakeBstr(request.target);
    if (request.operation == ProviderOperation::Get) {
        outcome.step = "GetObject";
        ComPtr<IWbemClassObject> object;
        outcome.status = nameSpace->GetObject(target.get(), 0, nullptr, object.put(), nullptr);
        if (object) outcome.objects.push_back(std::move(object));
        return outcome;
    }
    outcome.step = "CreateInstanceEnum";
    ComPtr<IEnumWbemClassObject> enumerator;
    outcome.status = nameSpace->CreateInstanceEnum(target.get(), WBEM_FLAG_FORWARD_ONLY, nullptr,
                                                   enumerator.put());
    while (SUCCEEDED(outcome.status) && enumerator) {
        ComPtr<IWbemClassObject> object;
        ULONG returned = 0;
        const HRESULT next =
            enumerator->Next(static_cast<LONG>(WBEM_INFINITE), 1, object.put(), &returned);
        if (FAILED(next)) outcome.status = next;
        if (returned == 1) outcome.objects.push_back(std::move(object));
        if (next != WBEM_S_NO_ERROR) break;
    }
    return outcome;
}

}  // namespace

ProviderOutcome InitialiseProvider(IClassFactory* factory, const ProviderHost& host,
                                   InitialisedProvider& provider) try {
    ComPtr<IUnknown> object;
    HRESULT hr = factory->CreateInstance(nullptr, __uuidof(IUnknown), object.put_void());
    if (FAILED(hr)) return Failed(hr, "IClassFactory::CreateInstance");
    ComPtr<IWbemProviderInit> init;
    hr = object.query(init);
    if (FAILED(hr)) return Failed(hr, "QueryInterface(IWbemProviderInit)");

    ProviderOutcome outcome;
    const auto nameSpace = NamespaceServices::Create(host.served, host.nameSpace);
    const auto initSink = RecordingSink::Create();
    std::wstring namespaceName = Utf8ToWide(host.nameSpace);
    hr = InCallContext(host, "Initialize", outcome, [&] {
        return init->Initialize(nullptr, 0, namespaceName.data(), nullptr, nameSpace.get(), nullptr,
                                initSink.get());
    });
    outcome.status = hr;
    outcome.step = "Initialize";
    if (FAILED(hr)) return outcome;
    initSink->WaitForFinalStatus(host.completionWaitMs);
    const auto initStatuses = initSink->InitStatuses();
    if (initStatuses.empty()) {
        outcome.problems.push_back("Initialize returned " +
                                   StatusHex(static_cast<std::uint32_t>(hr)) +
                                   " but never called SetStatus on its IWbemProviderInitSink: "
                                   "WMI would wait forever");
        return outcome;
    }
    outcome.status = initStatuses.front().result;
    if (FAILED(outcome.status)) return outcome;

    ComPtr<IWbemServices> services;
    hr = object.query(services);
    if (FAILED(hr)) return Failed(hr, "QueryInterface(IWbemServices)");
    provider.services = std::move(services);
    provider.nameSpace = ComPtr<IWbemServices>(nameSpace.get());
    return outcome;
} catch (const std::bad_alloc&) {
    return Failed(E_OUTOFMEMORY, "the host");
}

void CallInitialisedProvider(const InitialisedProvider& provider, const ProviderHost& host,
                             const ProviderRequest& request, ProviderOutcome& outcome) try {
    const auto sink = RecordingSink::Create();
    outcome.step = StepName(request.operation);
    const HRESULT hr =
        InCallContext(host, StepName(request.operation), outcome, [&] {
            return Request(provider.services.get(), provider.nameSpace.get(), request, sink.get());
        });
    for (std::string& problem : CheckCompletion(hr, *sink.get(), host.completionWaitMs))
        outcome.problems.push_back(outcome.step + ": " + problem);
    const auto finals = sink->FinalStatuses();
    outcome.status = finals.empty() ? hr : finals.front().result;
    outcome.objects = sink->Objects();
    CheckObjects(request, outcome);
} catch (const std::bad_alloc&) {
    outcome.status = E_OUTOFMEMORY;
    outcome.step = "the host";
}

ProviderOutcome CallProvider(IClassFactory* factory, const ProviderHost& host,
                             const ProviderRequest& request) {
    InitialisedProvider provider;
    ProviderOutcome outcome = InitialiseProvider(factory, host, provider);
    if (provider.services) CallInitialisedProvider(provider, host, request, outcome);
    return outcome;
}

RequestRoute RouteRequest(const ProviderHost& host, const ProviderRequest& request) try {
    RequestRoute route;
    auto path = RequestPath(*host.served, host.nameSpace, request);
    if (auto* refused = std::get_if<ProviderOutcome>(&path)) {
        route.answered = std::move(*refused);
        return route;
    }
    const ObjectPath& target = std::get<ObjectPath>(path);
    const auto fromRepository = [&] {
        const ComPtr<IWbemServices> nameSpace(
            NamespaceServices::Create(host.served, host.nameSpace).get());
        route.answered = FromRepository(nameSpace.get(), request);
        return route;
    };
    const ClassSource& classes = host.served->Classes();
    const bool classPath = request.operation == ProviderOperation::Get && target.IsClass();
    if (classPath && classes.FindClass(host.nameSpace, target.className)) return fromRepository();

    route.lookup = classPath || request.operation == ProviderOperation::EnumerateClasses
                       ? FindClassProvider(classes, host.nameSpace, request.operation)
                       : FindProvider(classes, host.nameSpace, target.className,
                                      request.operation, request.method);
    if (route.lookup.status == ProviderLookupStatus::StaticClass) {
        if (request.operation != ProviderOperation::EnumerateClasses) return fromRepository();
        // Without a class provider the repository's classes are all there are.
        route.answered = ProviderOutcome{};
        route.answered->step = StepName(request.operation);
        return route;
    }
    if (route.lookup.status != ProviderLookupStatus::Found)
        route.answered =
            Failed(CodeOf(route.lookup.status), "the provider registration", route.lookup.detail);
    return route;
} catch (const std::bad_alloc&) {
    RequestRoute route;
    route.answered = Failed(E_OUTOFMEMORY, "the host");
    return route;
}

}  // namespace norvwmi
