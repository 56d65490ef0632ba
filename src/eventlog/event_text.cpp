#include "eventlog/event_text.h"

#include "eventlog/text_digits.h"
#include "inventory/vocabulary.h"

namespace norv {

namespace {

// A nibble of event data 2 with this value says "not given".
constexpr std::uint32_t kUnspecifiedNibble = 0x0F;

std::uint32_t Data2Usage(std::uint32_t dataUsage) {
    return (dataUsage >> 2) & 0x3;
}

std::uint32_t Data3Usage(std::uint32_t dataUsage) {
    return dataUsage & 0x3;
}

void AppendNumber(std::string& text, std::string_view label, std::uint32_t value) {
    text += label;
    AppendDecimal(text, value);
}

void AppendBaseText(std::string& text, std::uint32_t eventType, std::uint32_t sensorType,
                    std::uint32_t offset) {
    if (eventType == kReadingThreshold) {
        const StateList thresholdEvents = GenericStates(kReadingThreshold);
        text += offset < thresholdEvents.size() ? thresholdEvents[offset] : kStateTextNotApplicable;
        return;
    }
    AppendStateText(text, eventType, sensorType, offset);
}

// Event data 2 of a discrete event: previous state in the low nibble, severity in the high.
void AppendPreviousStateAndSeverity(std::string& text, std::uint32_t eventType,
                                    std::uint32_t sensorType, std::uint32_t eventData2) {
    const std::uint32_t previousState = eventData2 & 0x0F;
    const std::uint32_t severity = (eventData2 >> 4) & 0x0F;
    if (previousState != kUnspecifiedNibble) {
        text += kEventPreviousStateText;
        AppendStateText(text, eventType, sensorType, previousState);
    }
    const StateList severities = GenericStates(kReadingSeverity);
    if (severity != kUnspecifiedNibble && severity < severities.size()) {
        text += kEventSeverityText;
        text += severities[severity];
    }
}

void AppendData2(std::string& text, std::uint32_t eventType, std::uint32_t sensorType,
                 std::uint32_t usage, std::uint32_t eventData2) {
    switch (usage) {
    case kDataStateOrThreshold:
        if (eventType == kReadingThreshold) {
            AppendNumber(text, kEventValueText, eventData2);
        } else {
            AppendPreviousStateAndSeverity(text, eventType, sensorType, eventData2);
        }
        break;
    case kDataOemCode:
        AppendNumber(text, kEventOemCodeText, eventData2);
        break;
    case kDataSensorSpecific:
        text += SlotConnectorText(sensorType, eventData2);
        break;
    default:
        break;
    }
}

void AppendData3(std::string& text, std::uint32_t eventType, std::uint32_t sensorType,
                 std::uint32_t usage, std::uint32_t eventData3) {
    switch (usage) {
    case kDataStateOrThreshold:
        if (eventType == kReadingThreshold) {
            AppendNumber(text, kEventThresholdText, eventData3);
        }
        break;
    case kDataOemCode:
        AppendNumber(text, kEventOemCodeText, eventData3);
        break;
    case kDataSensorSpecific:
        if (eventType >= kReadingOemFirst) {
            break;
        }
        if (sensorType == kSensorTypeMemory) {
            AppendNumber(text, kEventMemoryDeviceText, eventData3);
        } else if (sensorType == kSensorTypeSlotConnector) {
            AppendNumber(text, kEventSlotNumberText, eventData3);
        }
        break;
    default:
        break;
    }
}

}  // namespace

std::string_view SlotConnectorText(std::uint32_t sensorType, std::uint32_t index) {
    if (sensorType != kSensorTypeSlotConnector || index >= kSlotConnectorTexts.size()) {
        return {};
    }
    return kSlotConnectorTexts[index];
}

void AppendEventText(std::string& text, std::uint32_t eventType, std::uint32_t sensorType,
                     std::uint32_t dataUsage, std::uint32_t offset, std::uint32_t eventData2,
                     std::uint32_t eventData3) {
    AppendBaseText(text, eventType, sensorType, offset);
    AppendData2(text, eventType, sensorType, Data2Usage(dataUsage), eventData2);
    AppendData3(text, eventType, sensorType, Data3Usage(dataUsage), eventData3);
}

std::string EventText(std::uint32_t eventType, std::uint32_t sensorType, std::uint32_t dataUsage,
                      std::uint32_t offset, std::uint32_t eventData2, std::uint32_t eventData3) {
    std::string text;
    AppendEventText(text, eventType, sensorType, dataUsage, offset, eventData2, eventData3);
    return text;
}

}  // namespace norv
