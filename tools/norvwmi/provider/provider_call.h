// A request served by a provider as WMI serves it: the provider registered for the class
// (provider_registration.h) is created from its module's class object, initialised with
// the namespace's services, and called asynchronously with a recording sink; Initialize and
// the call each run inside a server call context at the client's level. A class without a
// provider is answered from the repository, as WMI answers it.
//
// What a client would trip over is reported as a problem: a call that returned success but
// never called SetStatus (or never reported its initialisation), a thread left
// impersonating, an object the host did not make, a get or method call without exactly one
// object, a module that still holds objects once every reference is gone. A thread left
// impersonating is a fault of the module the host ships with, whose tests hold it to reverting;
// of another provider it is a warning, as COM reverts the thread at the end of the call.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "com/call_context.h"
#include "provider/provider_module.h"
#include "provider/provider_registration.h"
#include "repository/method_arguments.h"
#include "repository/served_namespaces.h"

namespace norvwmi {

struct ProviderRequest {
    ProviderOperation operation = ProviderOperation::Enumerate;
    // Enumerate and Query: the class; Get and ExecMethod: the object path; EnumerateClasses:
    // the superclass, empty for every class.
    std::string target;
    std::string method;  // ExecMethod
    // ExecMethod: the values of in-parameters, given as the program's NAME=VALUE words or in
    // the in-parameters object a client passed (its null properties left out); the others
    // keep their declared defaults.
    std::vector<MethodArgument> inParameters;
    norv::win::ComPtr<IWbemClassObject> clientInParameters;
    std::string query;   // Query: a WQL query of the class
};

// How the host plays WMI for the provider.
struct ProviderHost {
    std::shared_ptr<ServedNamespaces> served;
    std::string nameSpace;  // the provider's namespace, as passed to Initialize
    ClientLevel clientLevel = ClientLevel::Impersonate;
    // How long a SetStatus that did not come during the call is waited for.
    DWORD completionWaitMs = 2000;
    // Whether a call that returns with the thread impersonating is a problem (else a warning).
    bool leftImpersonatingIsFault = true;
};

struct ProviderOutcome {
    // SetStatus's result, or the failure of the step named by `step`.
    HRESULT status = WBEM_S_NO_ERROR;
    std::string step;    // what gave the status ("CreateInstanceEnumAsync", "Initialize", ...)
    std::string detail;  // why, when the host itself refused the request
    std::vector<norv::win::ComPtr<IWbemClassObject>> objects;  // indicated, in order
    std::vector<std::string> problems;
    std::vector<std::string> warnings;  // what WMI lets pass but a provider should not do
};

// A provider object made and initialised, ready for requests: its IWbemServices and the
// namespace's services it was initialised with.
struct InitialisedProvider {
    norv::win::ComPtr<IWbemServices> services;
    norv::win::ComPtr<IWbemServices> nameSpace;
};

// Makes a provider with `factory` and initialises it for the host's namespace. On success
// `provider` holds it and the outcome only the problems of Initialize; otherwise the outcome
// says which step failed.
ProviderOutcome InitialiseProvider(IClassFactory* factory, const ProviderHost& host,
                                   InitialisedProvider& provider);

// One request on an initialised provider, added to `outcome` (its step, status, objects and
// problems).
void CallInitialisedProvider(const InitialisedProvider& provider, const ProviderHost& host,
                             const ProviderRequest& request, ProviderOutcome& outcome);

// Initialize and the request on a provider made by `factory`.
ProviderOutcome CallProvider(IClassFactory* factory, const ProviderHost& host,
                             const ProviderRequest& request);

// Where a request goes: answered by the host itself (a class path of the repository, a class
// without a provider, a path of another namespace, a registration that names no usable
// provider), or to the provider `lookup` found: a class path the repository does not hold,
// and the class listing, go to the namespace's class provider.
struct RequestRoute {
    std::optional<ProviderOutcome> answered;
    ProviderLookup lookup;
};
RequestRoute RouteRequest(const ProviderHost& host, const ProviderRequest& request);

// What a module that still holds objects once every reference is gone is told.
inline constexpr const char* kModuleStillHeld =
    "DllCanUnloadNow answers S_FALSE once every reference is released: the module still "
    "counts an object or a lock";

}  // namespace norvwmi
