// WMI's event side for one event query: each event provider registered for it
// (event_provider_registration.h), in turn, is created from its module's class object, initialised,
// asked whether the client may subscribe (IWbemEventProviderSecurity::AccessCheck in the
// client's call context), given the sink (ProvideEvents) and, when it takes
// IWbemEventProviderQuerySink, told of the query (NewQuery).
// All of them deliver into one sink, and the events that arrive for a while and match the
// query are handed on as they come; then the query is cancelled and the providers released,
// and the module must be free to unload.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "provider/event_filtering_sink.h"
#include "provider/provider_call.h"

namespace norvwmi {

struct WatchOutcome {
    HRESULT status = WBEM_S_NO_ERROR;
    std::string step;    // what gave a failure ("AccessCheck", "NewQuery", ...)
    std::string detail;  // why, when the host itself refused
    std::vector<std::string> problems;
    std::size_t delivered = 0;  // events that matched the query
};

// Called on the watching thread once each whole second of the watch has passed, counted
// from the subscription (NewQuery's return): 1, 2, ... up to the last before the end.
using SecondHandler = std::function<void(std::uint32_t second)>;

WatchOutcome WatchEvents(const ProviderModule& module, const ProviderHost& host,
                         const std::string& query, DWORD milliseconds,
                         const EventHandler& handler, const SecondHandler& onSecond = {});

}  // namespace norvwmi
