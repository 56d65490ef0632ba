#include "graph/hardware_graph_win.h"

#include <optional>

#include "eventlog/sel_cache.h"
#include "platform/named_lock_scope.h"
#include "sensors/sdr_cache.h"

namespace norv::win {

bool TakeGraphEnds(GraphSources sources, IWbemContext* context, GraphEnds& ends) {
    AddSystemEnds(ends, TheManagementController());
    SelCache& log = TheSelCache();
    std::optional<NamedLockScope> logLock;
    if (sources.log) {
        logLock.emplace(log.Lock());
        (void)log.Refresh(context);
    }
    if (!sources.sensors) {
        if (sources.log) AddLogEnds(ends, log.LogData(), log.Records(), log.Entries(), nullptr);
        return true;
    }
    SdrCache& sensors = TheSdrCache();
    NamedLockScope sensorLock(sensors.Lock());
    // After the log's refresh the inventory it mapped its entries with is the newest.
    const bool refreshed =
        sources.log ? sensors.RefreshReusingInventory(context) : sensors.Refresh(context);
    if (!refreshed) return false;
    AddSensorEnds(ends, sensors.Inventory(), sensors.Sensors().Entries(),
                  sensors.NumericSensors().Entries());
    if (sources.log) {
        AddLogEnds(ends, log.LogData(), log.Records(), log.Entries(), &sensors.Inventory());
    }
    return true;
}

}  // namespace norv::win
