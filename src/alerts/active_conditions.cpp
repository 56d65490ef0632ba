#include "alerts/active_conditions.h"

#include <algorithm>
#include <optional>

#include "eventlog/event_text.h"
#include "eventlog/text_digits.h"

namespace norv {

namespace {

enum class Outcome : std::uint8_t {
    Raised,
    Repeated,
    Cleared,
    Told,  // no condition changed by its meaning: a state worth telling, or an unknown event
};

// The conditions as the records are applied in log order.
class ConditionLedger {
public:
    explicit ConditionLedger(std::vector<ActiveCondition> active) : active_(std::move(active)) {}

    // Applies the record; `ended` receives the conditions a clearing record ended.
    Outcome Apply(const SelEntry& entry, std::size_t place, const EventMeaning& meaning,
                  const UpperThresholdLookup& upperThreshold, std::vector<ActiveCondition>& ended) {
        switch (meaning.effect) {
            case ConditionEffect::Raises:
                return Raise(entry, place, meaning, upperThreshold);
            case ConditionEffect::Clears:
                for (MessageKey cleared : meaning.Cleared())
                    End(ConditionKey(entry, cleared), ended);
                return Outcome::Cleared;
            case ConditionEffect::ClearsAll:
                ended.insert(ended.end(), std::make_move_iterator(active_.begin()),
                             std::make_move_iterator(active_.end()));
                active_.clear();
                return Outcome::Cleared;
            case ConditionEffect::None:
                break;
        }
        return Outcome::Told;
    }

    std::vector<ActiveCondition> Take() { return std::move(active_); }

private:
    Outcome Raise(const SelEntry& entry, std::size_t place, const EventMeaning& meaning,
                  const UpperThresholdLookup& upperThreshold) {
        std::string key = ConditionKey(entry, meaning.message);
        const auto found = std::find_if(active_.begin(), active_.end(),
                                        [&key](const ActiveCondition& c) { return c.key == key; });
        if (found != active_.end()) {
            found->lastTime = entry.timestamp;
            ++found->repeatCount;
            return Outcome::Repeated;
        }
        ActiveCondition& raised = active_.emplace_back();
        raised.key = std::move(key);
        raised.message = meaning.message;
        raised.messageText = FillMessageTemplate(MessageOf(meaning.message).text,
                                                 MessageArguments(meaning, entry, upperThreshold));
        raised.raisingEntry = place;
        raised.raisingIndication = IndicationIdentifier(entry);
        raised.firstTime = entry.timestamp;
        raised.lastTime = entry.timestamp;
        raised.repeatCount = 1;
        return Outcome::Raised;
    }

    void End(const std::string& key, std::vector<ActiveCondition>& ended) {
        const auto found = std::find_if(active_.begin(), active_.end(),
                                        [&key](const ActiveCondition& c) { return c.key == key; });
        if (found == active_.end()) return;
        ended.push_back(std::move(*found));
        active_.erase(found);
    }

    std::vector<ActiveCondition> active_;
};

// The last old entry in repaired form that ends `condition`, if any.
std::optional<std::size_t> RepairedInPlace(std::span<const SelEntry> entries,
                                           const std::vector<bool>& isNew,
                                           const ActiveCondition& condition) {
    for (std::size_t place = entries.size(); place-- > 0;) {
        if (isNew[place]) continue;
        const EventMeaning& meaning = FindEventMeaning(entries[place]);
        if (!meaning.event.repaired || meaning.effect != ConditionEffect::Clears) continue;
        for (MessageKey cleared : meaning.Cleared())
            if (ConditionKey(entries[place], cleared) == condition.key) return place;
    }
    return std::nullopt;
}

}  // namespace

std::string IndicationIdentifier(const SelEntry& entry) {
    std::string id(kIndicationOrganisation);
    id += ':';
    AppendDecimal(id, entry.recordId);
    id += '.';
    AppendDecimal(id, entry.timestamp);
    return id;
}

std::string RepairIndicationIdentifier(const SelEntry& entry) {
    return IndicationIdentifier(entry) + ".repaired";
}

std::string ConditionKey(const SelEntry& entry, MessageKey message) {
    std::string key = entry.deviceId;
    key += '/';
    key += MessageOf(message).name;
    if (entry.EventData3Usage() == kDataSensorSpecific) {
        key += '/';
        AppendDecimal(key, entry.eventData3);
    }
    return key;
}

std::vector<ActiveCondition> ActiveConditions(std::span<const SelEntry> entries,
                                              const UpperThresholdLookup& upperThreshold) {
    ConditionLedger ledger({});
    std::vector<ActiveCondition> ended;
    for (std::size_t place = 0; place < entries.size(); ++place) {
        ledger.Apply(entries[place], place, FindEventMeaning(entries[place]), upperThreshold,
                     ended);
        ended.clear();
    }
    return ledger.Take();
}

std::vector<AlertDecision> DecideAlerts(std::span<const ActiveCondition> baseline,
                                        std::span<const ActiveCondition> now,
                                        std::span<const SelEntry> entries,
                                        std::span<const std::size_t> newEntries,
                                        const UpperThresholdLookup& upperThreshold) {
    ConditionLedger ledger({baseline.begin(), baseline.end()});
    std::vector<AlertDecision> alerts;
    const auto decide = [&](std::size_t place, const EventMeaning& meaning,
                            std::string indicationIdentifier,
                            std::span<const ActiveCondition> ended) {
        const SelEntry& entry = entries[place];
        AlertDecision& alert = alerts.emplace_back();
        alert.entry = place;
        alert.meaning = &meaning;
        alert.indicationIdentifier = std::move(indicationIdentifier);
        // A clearing alert that ends one condition speaks for it; every other alert (one
        // that ends none or several, a cleared log's) for its own message.
        const bool endsOne = meaning.effect == ConditionEffect::Clears && ended.size() == 1;
        alert.eventId = endsOne ? ended.front().key : ConditionKey(entry, meaning.message);
        for (const ActiveCondition& condition : ended)
            alert.correlatedIndications.push_back(condition.raisingIndication);
        alert.messageArguments = MessageArguments(meaning, entry, upperThreshold);
        alert.messageText =
            FillMessageTemplate(MessageOf(meaning.message).text, alert.messageArguments);
    };

    std::vector<bool> isNew(entries.size(), false);
    for (std::size_t place : newEntries) {
        if (place >= entries.size()) continue;
        isNew[place] = true;
        const SelEntry& entry = entries[place];
        const EventMeaning& meaning = FindEventMeaning(entry);
        std::vector<ActiveCondition> ended;
        const Outcome outcome = ledger.Apply(entry, place, meaning, upperThreshold, ended);
        if (outcome != Outcome::Repeated) decide(place, meaning, IndicationIdentifier(entry), ended);
    }

    for (const ActiveCondition& kept : ledger.Take()) {
        const auto stillActive = [&kept](const ActiveCondition& c) { return c.key == kept.key; };
        if (std::any_of(now.begin(), now.end(), stillActive)) continue;
        const std::optional<std::size_t> repaired = RepairedInPlace(entries, isNew, kept);
        if (repaired)
            decide(*repaired, FindEventMeaning(entries[*repaired]),
                   RepairIndicationIdentifier(entries[*repaired]), {&kept, 1});
    }
    return alerts;
}

}  // namespace norv
