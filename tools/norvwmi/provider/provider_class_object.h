// The set-up every call of a provider shares: the class object of the provider that a
// registration names is taken from its module (the CLSID text read, DllGetClassObject
// called) and handed to the call; once the call has released everything it made, the module
// is asked DllCanUnloadNow, as COM asks before it frees an idle module.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <variant>
#include <vector>

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

// The class objects of every provider the lookups name, in their order, handed to
// `call(const std::vector<ComPtr<IClassFactory>>&)`, which gives the Outcome (with status,
// step, detail and problems); a module that cannot unload once they are released adds
// `unloadProblem` to its problems.
template <typename Outcome, typename Call>
Outcome CallThroughClassObjects(const ProviderModule& module,
                                const std::vector<ProviderLookup>& lookups,
                                std::string_view unloadProblem, Call&& call) {
    Outcome outcome;
    {
        std::vector<norv::win::ComPtr<IClassFactory>> factories;
        for (const ProviderLookup& lookup : lookups) {
            auto factory = ProviderClassObject(module, lookup);
            if (auto* failure = std::get_if<ClassObjectFailure>(&factory)) {
                outcome.status = failure->status;
                outcome.step = std::move(failure->step);
                outcome.detail = std::move(failure->detail);
                if (factories.empty()) return outcome;
                break;
            }
            factories.push_back(std::move(std::get<norv::win::ComPtr<IClassFactory>>(factory)));
        }
        if (factories.size() == lookups.size()) outcome = call(factories);
    }
    if (module.CanUnloadNow() != S_OK) outcome.problems.emplace_back(unloadProblem);
    return outcome;
}

}  // namespace norvwmi
