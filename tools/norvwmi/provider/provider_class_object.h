// The set-up every call of a provider shares: the class object of the provider that a
// registration names is taken from its module (the CLSID text read, DllGetClassObject
// called) and handed to the call; once the call has released everything it made, the module
// is asked DllCanUnloadNow, as COM asks before it frees an idle module.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <variant>

#include "provider/provider_module.h"
#include "provider/provider_registration.h"

namespace norvwmi {

struct ClassObjectFailure {
    HRESULT status = S_OK;
    std::string step;
    std::string detail;
};

// The provider's class factory, or why there is none: a registered CLSID that is no class
// id, or the failure of DllGetClassObject.
std::variant<norv::win::ComPtr<IClassFactory>, ClassObjectFailure> ProviderClassObject(
    const ProviderModule& module, const ProviderLookup& lookup);

// `call(IClassFactory*)` gives the Outcome (with status, step, detail and problems); a module
// that cannot unload afterwards adds `unloadProblem` to its problems.
template <typename Outcome, typename Call>
Outcome CallThroughClassObject(const ProviderModule& module, const ProviderLookup& lookup,
                               std::string_view unloadProblem, Call&& call) {
    Outcome outcome;
    {
        auto factory = ProviderClassObject(module, lookup);
        if (auto* failure = std::get_if<ClassObjectFailure>(&factory)) {
            outcome.status = failure->status;
            outcome.step = std::move(failure->step);
            outcome.detail = std::move(failure->detail);
            return outcome;
        }
        outcome = call(std::get<norv::win::ComPtr<IClassFactory>>(factory).get());
    }
    if (module.CanUnloadNow() != S_OK) outcome.problems.emplace_back(unloadProblem);
    return outcome;
}

}  // namespace norvwmi
