// The AlertIndication a decided alert becomes: every property a subscriber reads, from the
// alert, the meaning of its record and the same snapshot's sensors, log and controller. A
// pure function, so the event provider only gathers the snapshot and indicates these.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "alerts/active_conditions.h"
#include "eventlog/log_record_data.h"
#include "eventlog/sel_entry.h"
#include "graph/hardware_graph.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/sensor_instance_data.h"

namespace norv {

// CIM's AlertingElementFormat "CIMObjectPath" and Trending "Not Applicable": a log entry
// tells a state, never a direction.
inline constexpr std::uint16_t kAlertingElementFormatObjectPath = 2;
inline constexpr std::uint16_t kTrendingNotApplicable = 1;
// What a raising message recommends, as the message registry's Resolution says: the DMTF
// threshold message its own text, ours one text; every other message recommends nothing.
inline constexpr std::string_view kRaisingResolution =
    "Check the component named in the message; repair or replace it, then mark the log entry "
    "repaired or clear the log.";
inline constexpr std::string_view kSensorEventResolution =
    "Check the condition of the resources listed in RelatedItem.";

// What one snapshot holds that alerts are made of: the mapped entries and their records, one
// per entry and in the same order, and the controller's Name.
struct AlertSources {
    std::span<const SelEntry> entries;
    std::span<const LogRecordData> records;
    std::string_view systemName;
};

struct AlertIndicationData {
    std::string indicationIdentifier;
    std::vector<std::string> correlatedIndications;
    std::string indicationTime;
    std::uint16_t perceivedSeverity = 0;
    std::uint16_t alertType = 0;
    std::uint16_t probableCause = 0;
    std::string probableCauseDescription;  // the base event text of the record
    std::uint16_t trending = kTrendingNotApplicable;
    std::string description;             // the LogRecord's Description
    std::string alertingManagedElement;  // the sensor's path as the associations write it
    std::uint16_t alertingElementFormat = kAlertingElementFormatObjectPath;
    std::string eventId;
    std::string eventTime;  // the record's MessageTimestamp
    std::string systemCreationClassName;
    std::string systemName;
    std::string providerName;
    std::string message;
    std::string messageId;
    std::vector<std::string> messageArguments;
    // The arguments one by one, for consumers whose templates cannot index an array;
    // empty past the message's count (and then not written).
    std::array<std::string, kMaxMessageArguments> messageArgument;
    std::string owningEntity;
    std::vector<std::string> recommendedActions;
    std::string logRecord;  // the record's path as LogManagesRecord writes it
    std::size_t place = 0;  // the record's place among the snapshot's records
};

// The alerts' indications, in the alerts' order, each naming no element yet, made at `indicationTime` (CIM datetime). An alert whose record is
// not among the sources is left out.
std::vector<AlertIndicationData> BuildAlertIndications(std::span<const AlertDecision> alerts,
                                                       const AlertSources& sources,
                                                       std::string_view indicationTime);

// Names each alert's sensor by its path in `ends`, the association ends read after the
// snapshot: an alert whose place there holds another record (the log was read again
// meanwhile) or a sensor that is not served names none, rather than a wrong one.
void NameAlertingElements(std::span<AlertIndicationData> alerts, const GraphEnds& ends);

}  // namespace norv
