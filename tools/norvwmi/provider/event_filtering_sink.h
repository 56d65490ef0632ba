// The sink WMI gives an event provider: it hands on the events that match the subscription's
// query, as WMI filters an event provider's events against each subscriber's query. An event
// must be of the query's event class or one derived from it; an intrinsic query's event must
// carry a TargetInstance of its ISA class; the query's condition must then hold on the
// event's own properties (repository/wql_condition.h), read from the host's copy of the
// event, so an event object the host did not make passes no condition.
#pragma once

#include <wbemcli.h>

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>

#include "com/host_com_object.h"
#include "provider/event_provider_registration.h"

namespace norvwmi {

// Called on the provider's thread, one event at a time.
using EventHandler = std::function<void(IWbemClassObject* event)>;

class EventFilteringSink final : public ComObject<EventFilteringSink, IWbemObjectSink> {
public:
    // The handler must outlive the sink's use by the provider.
    EventFilteringSink(EventQuery query, const EventHandler& handler);

    HRESULT STDMETHODCALLTYPE Indicate(LONG count, IWbemClassObject** objects) override;
    HRESULT STDMETHODCALLTYPE SetStatus(LONG, HRESULT, BSTR, IWbemClassObject*) override;

    // The events handed on so far.
    std::size_t Delivered();

private:
    bool Matches(IWbemClassObject* event) const;

    const EventQuery query_;
    const std::wstring eventClass_;
    const std::wstring targetClass_;
    const EventHandler& handler_;
    // Held while the handler runs, so that events of several provider threads come out whole
    // and one at a time.
    std::mutex mutex_;
    std::size_t delivered_ = 0;
};

}  // namespace norvwmi
