#include "provider/event_watch.h"

#include <wbemprov.h>

#include <variant>
#include <vector>

#include "com/host_com_object.h"
#include "com/recording_sink.h"
#include "com/wbem_hresult.h"
#include "com/wbem_services.h"
#include "com/wide_text.h"
#include "provider/event_filtering_sink.h"
#include "provider/event_provider_registration.h"
#include "provider/provider_class_object.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;

WatchOutcome WatchFailed(HRESULT status, std::string step, std::string detail = {}) {
    WatchOutcome outcome;
    outcome.status = status;
    outcome.step = std::move(step);
    outcome.detail = std::move(detail);
    return outcome;
}

// The watch's time from the subscription on, telling `onSecond` each whole second that has
// passed before the end: the tick count, not the sum of the sleeps, so that handling a second
// does not delay the next one.
void WaitSecondBySecond(DWORD milliseconds, const SecondHandler& onSecond) {
    const ULONGLONG start = ::GetTickCount64();
    const auto sleepUntil = [start](ULONGLONG elapsed) {
        const ULONGLONG now = ::GetTickCount64() - start;
        if (now < elapsed) ::Sleep(static_cast<DWORD>(elapsed - now));
    };
    for (std::uint32_t second = 1; ULONGLONG{second} * 1000 < milliseconds; ++second) {
        sleepUntil(ULONGLONG{second} * 1000);
        if (onSecond) onSecond(second);
    }
    sleepUntil(milliseconds);
}

// One provider's part of the subscription: held from its NewQuery to the end of the watch.
struct Subscription {
    ComPtr<IWbemProviderInit> provider;
    ComPtr<IWbemEventProviderQuerySink> queries;  // when the provider takes them
};

// Initialize to NewQuery (NewQuery when the provider takes IWbemEventProviderQuerySink):
// the provider is then delivering into `sink`.
std::variant<Subscription, WatchOutcome> Subscribe(IClassFactory* factory,
                                                   const ProviderHost& host,
                                                   const std::string& queryText,
                                                   EventFilteringSink* sink) {
    Subscription subscription;
    ComPtr<IWbemProviderInit>& init = subscription.provider;
    HRESULT hr = factory->CreateInstance(nullptr, __uuidof(IWbemProviderInit), init.put_void());
    if (FAILED(hr)) return WatchFailed(hr, "CreateInstance");
    const ComPtr<IWbemServices> nameSpace(
        NamespaceServices::Create(host.served, host.nameSpace).get());
    std::wstring namespaceName = Utf8ToWide(host.nameSpace);
    const auto initSink = RecordingSink::Create();
    hr = RunInCallContext(host.clientLevel, [&] {
        return init->Initialize(nullptr, 0, namespaceName.data(), nullptr, nameSpace.get(), nullptr,
                                initSink.get());
    });
    if (FAILED(hr)) return WatchFailed(hr, "Initialize");
    initSink->WaitForFinalStatus(host.completionWaitMs);
    const auto initStatuses = initSink->InitStatuses();
    if (initStatuses.empty()) return WatchFailed(Wbem(WBEM_E_FAILED), "Initialize", "no SetStatus");
    if (FAILED(initStatuses.front().result))
        return WatchFailed(initStatuses.front().result, "Initialize");

    ComPtr<IWbemEventProvider> events;
    ComPtr<IWbemEventProviderSecurity> security;
    if (FAILED(init.query(events)))
        return WatchFailed(Wbem(WBEM_E_PROVIDER_NOT_CAPABLE), "QueryInterface",
                           "not an event provider");
    // Being told of each query is a provider's choice, as WMI documents it.
    ComPtr<IWbemEventProviderQuerySink> queries;
    const bool toldOfQueries = SUCCEEDED(init.query(queries));
    std::wstring language = L"WQL";
    std::wstring wideQuery = Utf8ToWide(queryText);
    if (SUCCEEDED(init.query(security))) {
        hr = RunInCallContext(host.clientLevel, [&] {
            return security->AccessCheck(language.c_str(), wideQuery.c_str(), 0, nullptr);
        });
        if (FAILED(hr)) return WatchFailed(hr, "AccessCheck");
    }
    hr = events->ProvideEvents(sink, 0);
    if (FAILED(hr)) return WatchFailed(hr, "ProvideEvents");
    if (toldOfQueries) {
        hr = queries->NewQuery(1, language.data(), wideQuery.data());
        if (FAILED(hr)) return WatchFailed(hr, "NewQuery");
        subscription.queries = std::move(queries);
    }
    return subscription;
}

// Every provider subscribed in turn into one sink, the wait, then each query cancelled in the
// same order; a provider that fails ends the watch, and those already subscribed are
// cancelled. Every provider is released on return.
WatchOutcome SubscribeAll(const std::vector<ComPtr<IClassFactory>>& factories,
                          const ProviderHost& host, const EventQuery& query,
                          const std::string& queryText, DWORD milliseconds,
                          const EventHandler& handler, const SecondHandler& onSecond) {
    const auto sink = EventFilteringSink::Create(query, handler);
    std::vector<Subscription> subscriptions;
    WatchOutcome outcome;
    for (const auto& factory : factories) {
        auto subscribed = Subscribe(factory.get(), host, queryText, sink.get());
        if (auto* failed = std::get_if<WatchOutcome>(&subscribed)) {
            outcome = std::move(*failed);
            break;
        }
        subscriptions.push_back(std::move(std::get<Subscription>(subscribed)));
    }
    if (subscriptions.size() == factories.size()) WaitSecondBySecond(milliseconds, onSecond);
    for (Subscription& subscription : subscriptions) {
        if (!subscription.queries) continue;
        const HRESULT hr = subscription.queries->CancelQuery(1);
        if (FAILED(hr) && outcome.status == WBEM_S_NO_ERROR)
            outcome = WatchFailed(hr, "CancelQuery");
    }
    if (outcome.status == WBEM_S_NO_ERROR) outcome.delivered = sink->Delivered();
    return outcome;
}

}  // namespace

WatchOutcome WatchEvents(const ProviderModule& module, const ProviderHost& host,
                         const std::string& query, DWORD milliseconds, const EventHandler& handler,
                         const SecondHandler& onSecond) try {
    const auto parsed = ParseEventQuery(query);
    if (!parsed)
        return WatchFailed(Wbem(WBEM_E_INVALID_QUERY), "the event query",
                           "expected SELECT * FROM <event class> [WITHIN n] WHERE TargetInstance "
                           "ISA '<class>' [AND <condition>], or SELECT * FROM <extrinsic event "
                           "class> [WHERE <condition>]");
    const std::vector<ProviderLookup> lookups =
        FindEventProviders(host.served->Classes(), host.nameSpace, *parsed);
    const ProviderLookup& first = lookups.front();
    if (first.status != ProviderLookupStatus::Found)
        return WatchFailed(first.status == ProviderLookupStatus::NotCapable
                               ? Wbem(WBEM_E_PROVIDER_NOT_CAPABLE)
                           : first.status == ProviderLookupStatus::NoClass
                               ? Wbem(WBEM_E_INVALID_CLASS)
                               : Wbem(WBEM_E_PROVIDER_NOT_FOUND),
                           "the provider registration", first.detail);
    return CallThroughClassObjects<WatchOutcome>(
        module, lookups,
        "DllCanUnloadNow answers S_FALSE once the subscription is cancelled and every "
        "reference released: the module still counts an object, a lock or a worker",
        [&](const std::vector<ComPtr<IClassFactory>>& factories) {
            return SubscribeAll(factories, host, *parsed, query, milliseconds, handler, onSecond);
        });
} catch (const std::bad_alloc&) {
    return WatchFailed(E_OUTOFMEMORY, "the host");
}

}  // namespace norvwmi
