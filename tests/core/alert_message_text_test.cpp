#include "alerts/message_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "alerts/alert_messages.h"
#include "alerts/event_meanings.h"
#include "support/case_file.h"

namespace norv {
namespace {

std::string CatalogueLine(const AlertMessage& message) {
    std::vector<std::string> names;
    std::string signature;
    for (std::size_t i = 0; i < message.ArgumentCount(); ++i) {
        const MessageArgument argument = message.arguments[i];
        names.push_back("<" + std::string(ArgumentName(argument)) + ">");
        if (i > 0) signature += ", ";
        signature += std::string(ArgumentName(argument)) +
                     (IsNumberArgument(argument) ? " number" : " string");
    }
    return MessageId(message) + " of " + std::string(OwningEntity(message)) + " | id " +
           std::to_string(message.eventId) + " | severity " +
           std::to_string(static_cast<unsigned>(message.severity)) + " | " +
           std::string(RedfishSeverity(message.severity)) + " | event type " +
           std::to_string(WindowsEventType(message.severity)) + " | (" + signature + ") | " +
           FillMessageTemplate(message.text, names);
}

// The whole catalogue as one reviewed file, every message by its name.
TEST(AlertMessageText, CatalogueHasItsReviewedRows) {
    std::size_t asked = 0;
    test::ExpectCases("alert_messages.txt", [&](const std::string& name) {
        ++asked;
        const auto* found =
            std::find_if(kAlertMessages.begin(), kAlertMessages.end(),
                         [&](const AlertMessage& message) { return message.name == name; });
        return found != kAlertMessages.end() ? CatalogueLine(*found) : "no such message";
    });
    EXPECT_EQ(asked, kAlertMessages.size());
}

SelEntry Entry(std::uint8_t sensorType, std::uint8_t eventType, std::uint8_t offset,
               const char* deviceId, const char* label) {
    SelEntry entry;
    entry.sensorType = sensorType;
    entry.eventType = eventType;
    entry.offset = offset;
    entry.deviceId = deviceId;
    entry.sensorLabel = label;
    return entry;
}

std::string TextOf(const SelEntry& entry, const UpperThresholdLookup& upperThreshold = {}) {
    const EventMeaning& meaning = FindEventMeaning(entry);
    return FillMessageTemplate(MessageOf(meaning.message).text,
                               MessageArguments(meaning, entry, upperThreshold));
}

// The threshold named is the sensor's most severe upper one, in its units; a lower one is not.
TEST(AlertMessageText, ThresholdEventNamesTheSensorsMostSevereUpperThreshold) {
    using Bits = NumericSensorInstanceBits;
    using Data = NumericSensorInstanceData;
    std::vector<Data> numeric(2);
    numeric[0].deviceId = "2.0.32";
    numeric[0].Set(&Data::upperThresholdFatal, 900, Bits::kUpperThresholdFatalBit);
    numeric[1].deviceId = "3.0.32";
    numeric[1].unitModifier = -1;
    SelEntry entry = Entry(0x01, 0x01, 9, "3.0.32", "TEMPERATURE 2(3.0.32)");
    entry.SetEventData2(70, 1);
    const std::string head = "Sensor 'TEMPERATURE 2(3.0.32)' reading of 70 (Cel) is above the ";
    EXPECT_EQ(TextOf(entry), head + "unknown upper critical threshold.");
    const struct {
        std::int32_t Data::*field;
        std::uint32_t bit;
        std::int32_t value;
        const char* named;
    } kRows[] = {
        {&Data::lowerThresholdCritical, Bits::kLowerThresholdCriticalBit, 600, "unknown"},
        {&Data::upperThresholdNonCritical, Bits::kUpperThresholdNonCriticalBit, 655, "65.5"},
        {&Data::upperThresholdCritical, Bits::kUpperThresholdCriticalBit, 700, "70"},
        {&Data::upperThresholdFatal, Bits::kUpperThresholdFatalBit, 755, "75.5"},
    };
    for (const auto& row : kRows) {
        numeric[1].Set(row.field, row.value, row.bit);
        EXPECT_EQ(TextOf(entry, [&](std::string_view id) { return UpperThresholdOf(numeric, id); }),
                  head + row.named + " upper critical threshold.");
    }
}

// tests/data/core/message_texts.txt: templates filled with their arguments by number,
// thresholds written in the reading's units, and the texts of entries (the repaired form
// among them).
TEST(AlertMessageText, TemplatesAndScaledValuesAsReviewed) {
    test::ExpectCases("message_texts.txt", [](const std::string& input) {
        std::istringstream in = test::CaseInput(input);
        std::string what;
        in >> what;
        if (what == "scaled") {
            std::int32_t value = 0, unitModifier = 0;
            in >> value >> unitModifier;
            return ScaledValueText({.value = value, .unitModifier = unitModifier});
        }
        if (what == "entry") {
            unsigned f[8] = {};
            for (unsigned& value : f) in >> value;
            const auto byte = [&](int index) { return static_cast<std::uint8_t>(f[index]); };
            SelEntry entry = Entry(byte(0), byte(1), byte(2), "2.0.32", "S(2.0.32)");
            entry.SetEventData2(byte(3), byte(4));
            entry.SetEventData3(byte(5), byte(6));
            entry.deassertion = byte(7);
            return (EventKeyOf(entry).repaired ? "repaired: " : "") + TextOf(entry);
        }
        std::vector<std::string> parts;  // the template, then the arguments
        for (std::string part; std::getline(in.ignore(parts.empty() ? 1 : 0), part, '|');)
            parts.push_back(part);
        if (input.ends_with("|")) parts.emplace_back();
        return FillMessageTemplate(parts[0], {parts.begin() + 1, parts.end()});
    });
}

}  // namespace
}  // namespace norv
