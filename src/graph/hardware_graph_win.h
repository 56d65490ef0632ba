// The ends of the associations as the endpoint classes serve them now: read through one
// CacheSnapshot of the caches they need, whose locks are given back before the caller makes
// any instance.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include "graph/association_classes.h"
#include "graph/hardware_graph.h"

namespace norv::win {

// The controller, domain and collection always; the sensors and the log when `sources` asks
// for them. False when the sensor cache could not be refreshed (a log that cannot be read is
// an empty log, as for its own classes).
bool TakeGraphEnds(GraphSources sources, IWbemContext* context, GraphEnds& ends);

}  // namespace norv::win
