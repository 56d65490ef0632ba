#include "program/record_event.h"

#include <array>
#include <charconv>
#include <cstdint>

#include "alerts/event_meanings.h"
#include "eventlog/event_text.h"

namespace norvwmi {

namespace {

// The fields of RecordData in their order; each is written between two asterisks.
enum Field : std::size_t {
    kDeviceId,
    kRecordId,
    kRecordType,
    kTimestamp,
    kGeneratorId,
    kEvmRevision,
    kSensorType,
    kSensorNumber,
    kAssertion,
    kEventType,
    kEventData1,
    kEventData2,
    kEventData3,
    kFieldCount,
};

std::optional<std::uint8_t> Byte(std::string_view text) {
    std::uint8_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.size() != 2 || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<norv::SelEntry> RecordEvent(std::string_view recordData) {
    if (recordData.size() < 2 || recordData.front() != '*' || recordData.back() != '*')
        return std::nullopt;
    std::array<std::string_view, kFieldCount> fields;
    std::size_t count = 0;
    std::size_t start = 1;
    for (std::size_t at = 1; at < recordData.size(); ++at) {
        if (recordData[at] != '*') continue;
        if (count == kFieldCount) return std::nullopt;
        fields[count++] = recordData.substr(start, at - start);
        start = at + 1;
    }
    if (count != kFieldCount) return std::nullopt;
    const auto sensorType = Byte(fields[kSensorType]);
    const auto eventType = Byte(fields[kEventType]);
    const auto data1 = Byte(fields[kEventData1]);
    const auto data2 = Byte(fields[kEventData2]);
    const auto data3 = Byte(fields[kEventData3]);
    const bool asserted = fields[kAssertion] == "true";
    if (!sensorType || !eventType || !data1 || !data2 || !data3 ||
        (!asserted && fields[kAssertion] != "false")) {
        return std::nullopt;
    }
    norv::SelEntry event;
    event.deviceId = std::string(fields[kDeviceId]);
    event.sensorType = *sensorType;
    event.eventType = *eventType;
    event.deassertion = asserted ? 0 : 1;
    event.offset = static_cast<std::uint8_t>(*data1 & 0x0F);
    event.dataUsage = static_cast<std::uint8_t>(*data1 >> 4);
    event.eventData2 = *data2;
    event.eventData3 = *data3;
    return event;
}

std::optional<norv::SelEntry> RecordEventOf(const CimObject& record) {
    const auto index = record.Find("RecordData");
    const auto* text = index ? std::get_if<std::string>(&record.ValueAt(*index).data) : nullptr;
    return text != nullptr ? RecordEvent(*text) : std::nullopt;
}

std::uint16_t RecordSeverity(const norv::SelEntry& event) {
    return static_cast<std::uint16_t>(
        norv::MessageOf(norv::FindEventMeaning(event).message).severity);
}

std::string RecordEventText(const norv::SelEntry& event) {
    return norv::EventText(event.eventType, event.sensorType, event.dataUsage, event.offset,
                           event.eventData2, event.eventData3);
}

}  // namespace norvwmi
