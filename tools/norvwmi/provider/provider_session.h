// The providers of one client operation that takes several requests (an association query:
// the source's GetObject, the association classes' queries, the far ends' GetObjects). WMI
// keeps a provider it has loaded and initialised for the namespace and calls it again, so a
// session makes and initialises each provider at its first request and hands it the later
// ones; once the session ends and every reference is released, the module is asked
// DllCanUnloadNow, as after a single request.
#pragma once

#include <string>
#include <vector>

#include "provider/provider_call.h"

namespace norvwmi {

class ProviderSession {
public:
    ProviderSession(const ProviderModule& module, const ProviderHost& host)
        : module_(module), host_(host) {}
    ProviderSession(const ProviderSession&) = delete;
    ProviderSession& operator=(const ProviderSession&) = delete;

    // The request through the provider registered for its class, as RunProviderRequest makes
    // it, but on the provider this session already initialised when there is one. A provider
    // whose initialisation failed is not kept: the next request tries again.
    ProviderOutcome Run(const ProviderRequest& request);

    // Releases every provider; the problem of a module that still holds objects then, when
    // the session took anything from it.
    std::vector<std::string> End();

private:
    struct Kept {
        std::string clsid;
        InitialisedProvider provider;
    };

    const ProviderModule& module_;
    const ProviderHost& host_;
    std::vector<Kept> kept_;
    bool tookClassObject_ = false;
};

// The whole road of one request: finding the class's provider, its class object in `module`,
// the calls; the module is asked DllCanUnloadNow once every reference has been released.
ProviderOutcome RunProviderRequest(const ProviderModule& module, const ProviderHost& host,
                                   const ProviderRequest& request);

}  // namespace norvwmi
