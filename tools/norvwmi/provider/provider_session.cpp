#include "provider/provider_session.h"

#include <algorithm>
#include <new>
#include <variant>

#include "provider/provider_class_object.h"

namespace norvwmi {

ProviderOutcome ProviderSession::Run(const ProviderRequest& request) try {
    RequestRoute route = RouteRequest(host_, request);
    if (route.answered) return std::move(*route.answered);
    auto found = std::ranges::find(kept_, route.lookup.clsid, &Kept::clsid);
    ProviderOutcome outcome;
    if (found == kept_.end()) {
        InitialisedProvider provider;
        {
            auto factory = ProviderClassObject(module_, route.lookup);
            if (auto* failure = std::get_if<ClassObjectFailure>(&factory)) {
                outcome.status = failure->status;
                outcome.step = std::move(failure->step);
                outcome.detail = std::move(failure->detail);
                return outcome;
            }
            tookClassObject_ = true;
            outcome = InitialiseProvider(
                std::get<norv::win::ComPtr<IClassFactory>>(factory).get(), host_, provider);
        }
        if (!provider.services) return outcome;
        kept_.push_back({route.lookup.clsid, std::move(provider)});
        found = kept_.end() - 1;
    }
    CallInitialisedProvider(found->provider, host_, request, outcome);
    return outcome;
} catch (const std::bad_alloc&) {
    ProviderOutcome outcome;
    outcome.status = E_OUTOFMEMORY;
    outcome.step = "the host";
    return outcome;
}

std::vector<std::string> ProviderSession::End() {
    kept_.clear();
    std::vector<std::string> problems;
    if (tookClassObject_ && module_.CanUnloadNow() != S_OK) problems.emplace_back(kModuleStillHeld);
    tookClassObject_ = false;
    return problems;
}

ProviderOutcome RunProviderRequest(const ProviderModule& module, const ProviderHost& host,
                                   const ProviderRequest& request) {
    ProviderSession session(module, host);
    ProviderOutcome outcome = session.Run(request);
    for (std::string& problem : session.End()) outcome.problems.push_back(std::move(problem));
    return outcome;
}

}  // namespace norvwmi
