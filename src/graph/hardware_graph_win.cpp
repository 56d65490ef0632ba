#include "graph/hardware_graph_win.h"

#include "eventlog/cache_reading.h"

namespace norv::win {

bool TakeGraphEnds(GraphSources sources, IWbemContext* context, GraphEnds& ends) {
    AddSystemEnds(ends, TheManagementController());
    const CacheReading reading({.log = sources.log, .sensors = sources.sensors}, context);
    const SelCache* log = reading.Log();
    const SdrCache* sensors = reading.Sensors();
    if (sources.sensors && !sensors) return false;
    if (sensors) {
        AddSensorEnds(ends, sensors->Inventory(), sensors->Sensors().Entries(),
                      sensors->NumericSensors().Entries());
    }
    if (log) {
        AddLogEnds(ends, log->LogData(), log->Records(), log->Entries(),
                   sensors ? &sensors->Inventory() : nullptr);
    }
    return true;
}

}  // namespace norv::win
