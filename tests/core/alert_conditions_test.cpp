#include "alerts/active_conditions.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "alerts/event_meanings.h"
#include "support/case_file.h"

namespace norv {
namespace {

// A log of records as alert_conditions.txt writes it: "[+]EVENT[*COUNT]" tokens, each EVENT an
// "@EVENT = ..." definition, "+" for a record new since the baseline; "BEFORE>NOW" an old
// record the baseline saw as BEFORE and that is now NOW, the same entry changed in place.
struct TestLog {
    std::vector<SelEntry> entries;
    std::vector<std::size_t> newEntries;
    std::vector<SelEntry> baseline;  // the records before the first new one, as then
};

SelEntry DefinedEntry(const std::string& definition) {
    std::istringstream in = test::CaseInput(definition);
    unsigned sensorType = 0, eventType = 0, offset = 0, data2 = 0xFF, usage2 = 0, data3 = 0xFF,
             usage3 = 0;
    std::string direction;
    SelEntry entry;
    in >> sensorType >> eventType >> offset >> direction >> entry.deviceId >> data2 >> usage2 >>
        data3 >> usage3;
    entry.sensorType = static_cast<std::uint8_t>(sensorType);
    entry.eventType = static_cast<std::uint8_t>(eventType);
    entry.offset = static_cast<std::uint8_t>(offset);
    entry.deassertion = direction == "deassert" ? 1 : 0;
    entry.SetEventData2(static_cast<std::uint8_t>(data2), static_cast<std::uint8_t>(usage2));
    entry.SetEventData3(static_cast<std::uint8_t>(data3), static_cast<std::uint8_t>(usage3));
    entry.sensorLabel = "S(" + entry.deviceId + ")";
    return entry;
}

TestLog ReadLog(const std::string& input, const std::map<std::string, std::string>& definitions) {
    TestLog log;
    std::istringstream tokens(input);
    const auto defined = [&](const std::string& name, std::size_t place) {
        const auto definition = definitions.find("@" + name);
        if (definition == definitions.end()) ADD_FAILURE() << "no definition of " << name;
        SelEntry entry =
            definition != definitions.end() ? DefinedEntry(definition->second) : SelEntry{};
        entry.recordId = static_cast<std::uint16_t>(place + 1);
        entry.timestamp = static_cast<std::uint32_t>(1000 + place);
        return entry;
    };
    for (std::string token; tokens >> token;) {
        const bool isNew = token.starts_with("+");
        if (isNew) token.erase(0, 1);
        const std::size_t star = token.find('*');
        const int count = star == std::string::npos ? 1 : std::stoi(token.substr(star + 1));
        std::string name = token.substr(0, star);
        std::string before = name;
        if (const std::size_t changed = name.find('>'); changed != std::string::npos) {
            before = name.substr(0, changed);
            name.erase(0, changed + 1);
        }
        for (int i = 0; i < count; ++i) {
            const std::size_t place = log.entries.size();
            if (isNew) log.newEntries.push_back(place);
            if (!isNew && log.newEntries.empty()) log.baseline.push_back(defined(before, place));
            log.entries.push_back(defined(name, place));
        }
    }
    return log;
}

// "alerts NAME@EVENTID<-CORRELATED,... ...; conditions KEY xCOUNT FIRST-LAST by INDICATION".
std::string Outcome(const TestLog& log) {
    const std::span<const SelEntry> entries(log.entries);
    const std::vector<ActiveCondition> baseline = ActiveConditions(log.baseline, {});
    const std::vector<ActiveCondition> now = ActiveConditions(entries, {});
    std::string text = "alerts";
    for (const AlertDecision& alert : DecideAlerts(baseline, now, entries, log.newEntries, {})) {
        text += " " + std::string(MessageOf(alert.meaning->message).name) + "@" + alert.eventId;
        for (std::size_t i = 0; i < alert.correlatedIndications.size(); ++i)
            text += (i == 0 ? "<-" : ",") + alert.correlatedIndications[i];
        const SelEntry& record = log.entries[alert.entry];
        if (alert.indicationIdentifier == RepairIndicationIdentifier(record))
            text += " (repaired in place)";
        else if (alert.indicationIdentifier != IndicationIdentifier(record))
            text += " (identifier of another record)";
    }
    text += "; conditions";
    for (const ActiveCondition& condition : now) {
        text += " " + condition.key + " x" + std::to_string(condition.repeatCount) + " " +
                std::to_string(condition.firstTime) + "-" + std::to_string(condition.lastTime) +
                " by " + condition.raisingIndication;
        if (condition.raisingEntry + 1 != log.entries[condition.raisingEntry].recordId)
            text += " (raised by another record)";
    }
    return text;
}

// Raising, repeating, clearing and correlating, one scenario a line.
TEST(AlertConditions, ScenariosHaveTheirReviewedAlertsAndConditions) {
    const auto definitions = test::Definitions("alert_conditions.txt");
    test::ExpectCases("alert_conditions.txt", [&](const std::string& input) {
        return Outcome(ReadLog(input, definitions));
    });
}

// The rows give keys, counts and raising alerts; here the text a condition and its alert
// carry, and a new record past the log, which raises nothing.
TEST(AlertConditions, ConditionAndAlertCarryTheRaisingRecordsText) {
    const std::vector<SelEntry> entries = {DefinedEntry("4 0x0A 6 assert 2.0.32")};
    const std::vector<ActiveCondition> conditions = ActiveConditions(entries, {});
    ASSERT_EQ(conditions.size(), 1U);
    EXPECT_EQ(conditions[0].messageText, "Fan 'S(2.0.32)' is degraded.");
    const std::vector<std::size_t> newEntries = {0, 1};
    const std::vector<AlertDecision> alerts = DecideAlerts({}, {}, entries, newEntries, {});
    ASSERT_EQ(alerts.size(), 1U);
    EXPECT_EQ(alerts[0].messageText, conditions[0].messageText);
    EXPECT_EQ(alerts[0].messageArguments, std::vector<std::string>{"S(2.0.32)"});
}

}  // namespace
}  // namespace norv
