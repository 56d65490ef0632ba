#include "provider/event_watch.h"

#include <wbemprov.h>

#include <mutex>

#include "com/host_com_object.h"
#include "com/recording_sink.h"
#include "com/wbem_hresult.h"
#include "com/wbem_services.h"
#include "com/wide_text.h"
#include "provider/event_provider_registration.h"
#include "provider/provider_class_object.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;

// The class itself or one derived from it.
bool IsA(IWbemClassObject* object, const std::wstring& className) {
    norv::win::UniqueVariant name;
    if (SUCCEEDED(object->Get(L"__CLASS", 0, &name, nullptr, nullptr)) && V_VT(&name) == VT_BSTR &&
        ::CompareStringOrdinal(V_BSTR(&name), -1, className.c_str(), -1, TRUE) == CSTR_EQUAL) {
        return true;
    }
    return object->InheritsFrom(className.c_str()) == WBEM_S_NO_ERROR;
}

// The sink WMI gives an event provider: hands on the events that match the query, as WMI
// filters an event provider's events against each subscriber's query.
class FilteringSink final : public ComObject<FilteringSink, IWbemObjectSink> {
public:
    FilteringSink(EventQuery query, const EventHandler& handler)
        : eventClass_(Utf8ToWide(query.eventClass)),
          targetClass_(Utf8ToWide(query.targetClass)),
          handler_(handler) {}

    HRESULT STDMETHODCALLTYPE Indicate(LONG count, IWbemClassObject** objects) override {
        if (count < 0 || (count > 0 && !objects)) return Wbem(WBEM_E_INVALID_PARAMETER);
        std::lock_guard lock(mutex_);
        for (LONG i = 0; i < count; ++i) {
            if (objects[i] && Matches(objects[i])) {
                ++delivered_;
                handler_(objects[i]);
            }
        }
        return WBEM_S_NO_ERROR;
    }
    HRESULT STDMETHODCALLTYPE SetStatus(LONG, HRESULT, BSTR, IWbemClassObject*) override {
        return WBEM_S_NO_ERROR;
    }

    std::size_t Delivered() {
        std::lock_guard lock(mutex_);
        return delivered_;
    }

private:
    bool Matches(IWbemClassObject* event) const {
        if (!IsA(event, eventClass_)) return false;
        norv::win::UniqueVariant target;
        if (FAILED(event->Get(L"TargetInstance", 0, &target, nullptr, nullptr)) ||
            V_VT(&target) != VT_UNKNOWN || !V_UNKNOWN(&target)) {
            return false;
        }
        ComPtr<IWbemClassObject> instance;
        if (FAILED(V_UNKNOWN(&target)->QueryInterface(__uuidof(IWbemClassObject),
                                                      instance.put_void()))) {
            return false;
        }
        return IsA(instance.get(), targetClass_);
    }

    const std::wstring eventClass_;
    const std::wstring targetClass_;
    const EventHandler& handler_;
    std::mutex mutex_;
    std::size_t delivered_ = 0;
};

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

// Initialize to NewQuery, the wait, then CancelQuery; the provider is released on return.
WatchOutcome Subscribe(IClassFactory* factory, const ProviderHost& host, const EventQuery& query,
                       const std::string& queryText, DWORD milliseconds,
                       const EventHandler& handler, const SecondHandler& onSecond) {
    ComPtr<IWbemProviderInit> init;
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
    ComPtr<IWbemEventProviderQuerySink> queries;
    ComPtr<IWbemEventProviderSecurity> security;
    if (FAILED(init.query(events)) || FAILED(init.query(queries)))
        return WatchFailed(Wbem(WBEM_E_PROVIDER_NOT_CAPABLE), "QueryInterface",
                           "not an event provider");
    std::wstring language = L"WQL";
    std::wstring wideQuery = Utf8ToWide(queryText);
    if (SUCCEEDED(init.query(security))) {
        hr = RunInCallContext(host.clientLevel, [&] {
            return security->AccessCheck(language.c_str(), wideQuery.c_str(), 0, nullptr);
        });
        if (FAILED(hr)) return WatchFailed(hr, "AccessCheck");
    }
    const auto sink = FilteringSink::Create(query, handler);
    hr = events->ProvideEvents(sink.get(), 0);
    if (FAILED(hr)) return WatchFailed(hr, "ProvideEvents");
    hr = queries->NewQuery(1, language.data(), wideQuery.data());
    if (FAILED(hr)) return WatchFailed(hr, "NewQuery");
    WaitSecondBySecond(milliseconds, onSecond);
    WatchOutcome outcome;
    hr = queries->CancelQuery(1);
    if (FAILED(hr)) return WatchFailed(hr, "CancelQuery");
    outcome.delivered = sink->Delivered();
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
                           "ISA '<class>'");
    const ProviderLookup lookup =
        FindEventProvider(host.served->Classes(), host.nameSpace, *parsed);
    if (lookup.status != ProviderLookupStatus::Found)
        return WatchFailed(lookup.status == ProviderLookupStatus::NotCapable
                               ? Wbem(WBEM_E_PROVIDER_NOT_CAPABLE)
                               : Wbem(WBEM_E_PROVIDER_NOT_FOUND),
                           "the provider registration", lookup.detail);
    return CallThroughClassObject<WatchOutcome>(
        module, lookup,
        "DllCanUnloadNow answers S_FALSE once the subscription is cancelled and every "
        "reference released: the module still counts an object, a lock or a worker",
        [&](IClassFactory* factory) {
            return Subscribe(factory, host, *parsed, query, milliseconds, handler, onSecond);
        });
} catch (const std::bad_alloc&) {
    return WatchFailed(E_OUTOFMEMORY, "the host");
}

}  // namespace norvwmi
