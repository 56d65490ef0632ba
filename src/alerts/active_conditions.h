// The conditions the management log holds and the alerts its new records raise. A condition
// is raised by a record whose meaning raises one and stays active until a record on the
// same sensor (and slot) clears it, a repaired record ends it or a cleared log ends them
// all. Both are pure functions of the mapped entries, so that a provider only gathers the
// snapshot and presents what these decide.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "alerts/alert_messages.h"
#include "alerts/event_meanings.h"
#include "alerts/message_text.h"
#include "eventlog/sel_entry.h"

namespace norv {

// The organisation part of an IndicationIdentifier.
inline constexpr std::string_view kIndicationOrganisation = "Norvipmiprv";

// "Norvipmiprv:<record id>.<timestamp>": the log's own number of the entry and its time in
// seconds, both decimal. Positions in the log move as old entries drop out of the ring and
// restart after a clear; the entry's number and time do not.
std::string IndicationIdentifier(const SelEntry& entry);

// The identifier of the alert an entry raises when the platform marks it repaired in place:
// the entry's own, then ".repaired", so that it differs from the alert the entry raised when
// it was logged.
std::string RepairIndicationIdentifier(const SelEntry& entry);

// The key of a condition, and the EventID of its alerts: "<device id>/<message name>", then
// "/<slot>" when event data 3 carries a slot or adapter number (one sensor stands for many
// slots). Equal keys are the same condition.
std::string ConditionKey(const SelEntry& entry, MessageKey message);

struct ActiveCondition {
    std::string key;
    MessageKey message = MessageKey::UnknownEvent;  // the raising message
    std::string messageText;                        // of the raising record
    std::size_t raisingEntry = 0;  // the raising record's place among the entries
    std::string raisingIndication;
    std::uint32_t firstTime = 0;  // seconds since 1970, of the raising record
    std::uint32_t lastTime = 0;   // of the latest record that asserted it
    // The records that asserted it, the raising one included.
    std::uint32_t repeatCount = 0;

    PerceivedSeverity Severity() const { return MessageOf(message).severity; }
};

// The conditions active after every entry of the log, in log order, oldest first; each in
// the order it was raised.
std::vector<ActiveCondition> ActiveConditions(std::span<const SelEntry> entries,
                                              const UpperThresholdLookup& upperThreshold);

// One alert a new record raises.
struct AlertDecision {
    std::size_t entry = 0;  // the record's place among the entries
    const EventMeaning* meaning = nullptr;
    std::string indicationIdentifier;
    std::string eventId;
    // The raising alerts of the conditions this one ends.
    std::vector<std::string> correlatedIndications;
    std::vector<std::string> messageArguments;
    std::string messageText;
};

// The alerts of the records new since the baseline: `baseline` are the conditions active at
// the previous snapshot (ActiveConditions of its entries), `now` those active after every
// entry of `entries` (ActiveConditions of them), `newEntries` the places of the new records
// among `entries`, in log order. Each new record raises one alert, except one that asserts a
// condition already active, which only counts on it. A clearing record's alert names the
// raising alerts of the conditions it ends, a cleared log's all of them.
//
// A condition of the baseline that no new record ended and that `now` no longer holds
// because an old entry on its sensor is now in repaired form (the platform marked it
// repaired in place) raises one clearing alert after those of the new records: the repaired
// entry's, with RepairIndicationIdentifier, correlated to the condition's raising alert. A
// condition that only left with its entries (the ring dropped them) raises nothing.
std::vector<AlertDecision> DecideAlerts(std::span<const ActiveCondition> baseline,
                                        std::span<const ActiveCondition> now,
                                        std::span<const SelEntry> entries,
                                        std::span<const std::size_t> newEntries,
                                        const UpperThresholdLookup& upperThreshold);

}  // namespace norv
