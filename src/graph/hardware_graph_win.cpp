#include "graph/hardware_graph_win.h"

#include "eventlog/cache_snapshot_win.h"

namespace norv::win {

bool TakeGraphEnds(GraphSources sources, IWbemContext* context, GraphEnds& ends) {
    AddSystemEnds(ends, TheManagementController());
    const CacheSnapshot snapshot =
        TakeCacheSnapshot({.log = sources.log, .sensors = sources.sensors}, context);
    if (sources.sensors && !snapshot.sensors) return false;
    if (snapshot.sensors) {
        AddSensorEnds(ends, *snapshot.inventory, snapshot.sensors->sensors.Entries(),
                      snapshot.sensors->numericSensors.Entries());
    }
    if (snapshot.log) {
        const LogContents& log = *snapshot.log;
        AddLogEnds(ends, log.logData, log.records, log.entries, snapshot.inventory.get());
    }
    return true;
}

}  // namespace norv::win
