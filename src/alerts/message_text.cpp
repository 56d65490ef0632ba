#include "alerts/message_text.h"

#include "eventlog/event_text.h"
#include "eventlog/log_record_data.h"
#include "eventlog/text_digits.h"

namespace norv {

namespace {

std::string Decimal(std::uint64_t value) {
    std::string text;
    AppendDecimal(text, value);
    return text;
}

std::uint64_t Magnitude(std::int32_t value) {
    return value < 0 ? 0 - static_cast<std::uint64_t>(static_cast<std::int64_t>(value))
                     : static_cast<std::uint64_t>(value);
}

std::string SignedDecimal(std::int32_t value) {
    return (value < 0 ? "-" : "") + Decimal(Magnitude(value));
}

std::string PostErrorNumber(const SelEntry& entry) {
    if (entry.EventData2Usage() != kDataOemCode || entry.EventData3Usage() != kDataOemCode)
        return std::string(kArgumentUnspecified);
    return Decimal(std::uint64_t{entry.eventData2} * 100 + entry.eventData3);
}

std::string ArgumentValue(MessageArgument argument, const SelEntry& entry,
                          const UpperThresholdLookup& upperThreshold) {
    switch (argument) {
        case MessageArgument::None:
            break;
        case MessageArgument::SensorLabel:
            return entry.sensorLabel;
        case MessageArgument::Reading:
            return Decimal(entry.eventData2);
        case MessageArgument::ReadingUnits:
            return std::string(kTemperatureUnits);
        case MessageArgument::Threshold: {
            const std::optional<ScaledValue> threshold =
                upperThreshold ? upperThreshold(entry.deviceId) : std::nullopt;
            return threshold ? ScaledValueText(*threshold) : std::string(kArgumentUnknown);
        }
        case MessageArgument::PostErrorNumber:
            return PostErrorNumber(entry);
        case MessageArgument::RepairedEventText:
            return EventText(entry.eventType, entry.sensorType, kDataUnused, entry.offset,
                             kEventDataUnspecified, kEventDataUnspecified);
        case MessageArgument::RecordCaption:
            return CaptionText(entry);
    }
    return {};
}

}  // namespace

std::string ScaledValueText(ScaledValue scaled) {
    const std::string sign = scaled.value < 0 ? "-" : "";
    std::string digits = Decimal(Magnitude(scaled.value));
    const std::int32_t power = scaled.unitModifier;
    if (power > 9 || power < -9) return sign + digits + "e" + SignedDecimal(power);
    if (scaled.value == 0) return "0";
    if (power >= 0) return sign + digits + std::string(static_cast<std::size_t>(power), '0');
    const auto places = static_cast<std::size_t>(-power);
    if (digits.size() <= places) digits.insert(0, places + 1 - digits.size(), '0');
    const std::size_t point = digits.size() - places;
    std::string fraction = digits.substr(point);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    return sign + digits.substr(0, point) + (fraction.empty() ? "" : "." + fraction);
}

std::vector<std::string> MessageArguments(const EventMeaning& meaning, const SelEntry& entry,
                                          const UpperThresholdLookup& upperThreshold) {
    const AlertMessage& message = MessageOf(meaning.message);
    std::vector<std::string> arguments;
    for (std::size_t i = 0; i < message.ArgumentCount(); ++i)
        arguments.push_back(ArgumentValue(message.arguments[i], entry, upperThreshold));
    return arguments;
}

std::string FillMessageTemplate(std::string_view text, std::span<const std::string> arguments) {
    std::string filled;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool marker =
            text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9';
        const std::size_t number = marker ? static_cast<std::size_t>(text[i + 1] - '0') : 0;
        if (marker && number <= arguments.size()) {
            filled += arguments[number - 1];
            ++i;
        } else {
            filled += text[i];
        }
    }
    return filled;
}

std::optional<ScaledValue> UpperThresholdOf(std::span<const NumericSensorInstanceData> sensors,
                                            std::string_view deviceId) {
    for (const NumericSensorInstanceData& sensor : sensors) {
        if (sensor.deviceId != deviceId) continue;
        const auto scaled = [&sensor](std::int32_t value) {
            return ScaledValue{.value = value, .unitModifier = sensor.unitModifier};
        };
        if (sensor.fieldMask & NumericSensorInstanceBits::kUpperThresholdFatalBit)
            return scaled(sensor.upperThresholdFatal);
        if (sensor.fieldMask & NumericSensorInstanceBits::kUpperThresholdCriticalBit)
            return scaled(sensor.upperThresholdCritical);
        if (sensor.fieldMask & NumericSensorInstanceBits::kUpperThresholdNonCriticalBit)
            return scaled(sensor.upperThresholdNonCritical);
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace norv
