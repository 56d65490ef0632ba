#include "alerts/alert_indication_data.h"

#include <optional>
#include <utility>

#include "eventlog/event_text.h"
#include "eventlog/sel_entry.h"
#include "graph/hardware_graph.h"
#include "host/provider_class_identity.h"

namespace norv {

void NameAlertingElements(std::span<AlertIndicationData> alerts, const GraphEnds& ends) {
    for (AlertIndicationData& alert : alerts) {
        const std::size_t at = alert.place;
        if (at >= ends.records.size() || at >= ends.recordSensor.size() ||
            ends.records[at] != alert.logRecord) {
            continue;
        }
        const std::size_t sensor = ends.recordSensor[at];
        if (sensor < ends.sensors.size()) alert.alertingManagedElement = ends.sensors[sensor];
    }
}

std::vector<AlertIndicationData> BuildAlertIndications(std::span<const AlertDecision> alerts,
                                                       const AlertSources& sources,
                                                       std::string_view indicationTime) {
    std::vector<AlertIndicationData> indications;
    indications.reserve(alerts.size());
    for (const AlertDecision& alert : alerts) {
        const std::size_t at = alert.entry;
        if (at >= sources.entries.size() || at >= sources.records.size() || !alert.meaning)
            continue;
        const SelEntry& entry = sources.entries[at];
        const LogRecordData& record = sources.records[at];
        const EventMeaning& meaning = *alert.meaning;
        const AlertMessage& message = MessageOf(meaning.message);

        AlertIndicationData& data = indications.emplace_back();
        data.indicationIdentifier = alert.indicationIdentifier;
        data.correlatedIndications = alert.correlatedIndications;
        data.indicationTime = indicationTime;
        data.perceivedSeverity = static_cast<std::uint16_t>(message.severity);
        data.alertType = static_cast<std::uint16_t>(meaning.alertType);
        data.probableCause = static_cast<std::uint16_t>(meaning.probableCause);
        data.probableCauseDescription = EventText(entry.eventType, entry.sensorType, kDataUnused,
                                                  entry.offset, kEventDataUnspecified,
                                                  kEventDataUnspecified);
        data.description = record.description;
        data.eventId = alert.eventId;
        data.eventTime = record.messageTimestamp;
        data.systemCreationClassName = IdentityOf("NorvComputerSystemProv").servedClass;
        data.systemName = sources.systemName;
        data.providerName = kHardwareEventProviderIdentity.className;
        data.message = alert.messageText;
        data.messageId = MessageId(message);
        data.messageArguments = alert.messageArguments;
        for (std::size_t i = 0; i < data.messageArgument.size() && i < alert.messageArguments.size();
             ++i) {
            data.messageArgument[i] = alert.messageArguments[i];
        }
        data.owningEntity = OwningEntity(message);
        if (meaning.effect == ConditionEffect::Raises) {
            data.recommendedActions.emplace_back(message.registry == kSensorEventRegistry
                                                     ? kSensorEventResolution
                                                     : kRaisingResolution);
        }
        GraphEnds own;
        AddLogEnds(own, RecordLogData{}, sources.records.subspan(at, 1), {}, nullptr);
        data.logRecord = std::move(own.records.front());
        data.place = at;
    }
    return indications;
}

}  // namespace norv
