#include "graph/hardware_graph_win.h"

#include "eventlog/cache_snapshot_win.h"

namespace norv::win {

bool TakeGraphEnds(GraphSources sources, IWbemContext* context, GraphEnds& ends) {
    AddSystemEnds(ends, TheManagementController());
    const CacheSnapshot snapshot =
        TakeCacheSnapshot({.log = sources.log, .sensors = sources.sensors}, context);
    if (sources.sensors && !snapshot.sensors) return false;
    AddSnapshotEnds(ends, snapshot);
    return true;
}

}  // namespace norv::win
