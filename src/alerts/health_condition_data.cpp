#include "alerts/health_condition_data.h"

#include <optional>

#include "alerts/active_conditions.h"
#include "graph/hardware_graph.h"

namespace norv {
namespace {

// The time text of the latest record from `first` on whose entry has the timestamp: equal
// timestamps are equal local times, whose texts are equal.
std::string TimeOfLatest(const ConditionSources& sources, std::size_t first,
                         std::uint32_t timestamp) {
    for (std::size_t at = sources.entries.size(); at-- > first;) {
        if (sources.entries[at].timestamp == timestamp && at < sources.records.size())
            return std::string(sources.records[at].messageTimestamp);
    }
    return {};
}

}  // namespace

std::vector<HealthConditionData> BuildHealthConditions(const ConditionSources& sources) {
    const UpperThresholdLookup upperThreshold = [&sources](std::string_view deviceId) {
        return UpperThresholdOf(sources.numericSensors, deviceId);
    };
    const std::vector<ActiveCondition> active = ActiveConditions(sources.entries, upperThreshold);
    std::vector<HealthConditionData> conditions;
    if (active.empty()) return conditions;

    GraphEnds ends;
    if (sources.inventory != nullptr)
        AddSensorEnds(ends, *sources.inventory, sources.sensors, sources.numericSensors);
    AddLogEnds(ends, sources.log, sources.records, sources.entries, sources.inventory);

    conditions.reserve(active.size());
    for (const ActiveCondition& condition : active) {
        const std::size_t raising = condition.raisingEntry;
        if (raising >= sources.records.size()) continue;
        HealthConditionData& data = conditions.emplace_back();
        data.instanceId = condition.key;
        data.messageId = MessageId(MessageOf(condition.message));
        data.message = condition.messageText;
        data.perceivedSeverity = static_cast<std::uint16_t>(condition.Severity());
        const std::size_t sensor = ends.recordSensor[raising];
        if (sensor < ends.sensors.size()) data.sensor = ends.sensors[sensor];
        data.logRecord = ends.records[raising];
        data.firstTime = std::string(sources.records[raising].messageTimestamp);
        data.lastTime = TimeOfLatest(sources, raising, condition.lastTime);
        data.repeatCount = condition.repeatCount;
    }
    return conditions;
}

}  // namespace norv
