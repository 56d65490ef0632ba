#include "eventlog/log_record_data.h"

#include <utility>

#include "eventlog/cim_datetime.h"
#include "eventlog/event_text.h"
#include "eventlog/log_entry.h"
#include "eventlog/text_digits.h"
#include "inventory/vocabulary.h"

namespace norv {

namespace {

// The assertion field of RecordData: true for an assertion event.
constexpr std::string_view kAssertionTrue = "true";
constexpr std::string_view kAssertionFalse = "false";

constexpr std::string_view kInstanceIdPrefix = "IPMI:";
constexpr std::string_view kInstanceIdSuffix = " SEL Log";

// Room reserved for a text, so that it is mostly built in one allocation: a caption; the
// entity part of a description beyond its label and caption (" for ", the longest entity
// name, an instance number); the fixed-width fields of RecordData beside its device id (56
// characters with "false").
constexpr std::size_t kCaptionReserve = 64;
constexpr std::size_t kDescriptionEntityReserve = 64;
constexpr std::size_t kRecordDataFixedReserve = 64;

// Every field of the log area's date and time lies inside the 256 bytes kept of an entry;
// an entry shorter than that reads as zeros there, that is, without a date.
LogDateTime EntryDateTime(const SelEntry& entry) {
    const auto* time = entry.raw.data() + kEntryDateTimeOffset;
    return {time[0], time[1], time[2], time[3], time[4], time[5]};
}

// " Assert: " or " Deassert: " and the event text.
void AppendActText(std::string& text, const SelEntry& entry) {
    text += entry.deassertion == 0 ? " Assert: " : " Deassert: ";
    AppendEventText(text, entry.eventType, entry.sensorType, entry.dataUsage, entry.offset,
                    entry.eventData2, entry.eventData3);
}

// The bytes of a multi-byte field, least significant first, separated by blanks.
char* WriteHexBytes(char* out, std::uint32_t value, int count) {
    for (int index = 0; index < count; ++index) {
        if (index > 0) *out++ = ' ';
        out = WriteHexByte(out, value >> (8 * index));
    }
    return out;
}

void AppendRecordData(std::string& text, const SelEntry& entry) {
    text += '*';
    text += entry.deviceId;
    // Every field after the device id has a fixed width; they are written into one buffer.
    char fields[kRecordDataFixedReserve];
    char* out = fields;
    *out++ = '*';
    out = WriteHexBytes(out, entry.recordId, 2);
    *out++ = '*';
    out = WriteHexByte(out, kSelRecordTypeSystemEvent);
    *out++ = '*';
    out = WriteHexBytes(out, entry.timestamp, 4);
    *out++ = '*';
    out = WriteHexByte(out, entry.ownerId);
    *out++ = ' ';
    out = WriteHexByte(out, entry.ownerLun);
    for (const std::uint32_t byte :
         {std::uint32_t{kSelEventMessageRevision}, std::uint32_t{entry.sensorType},
          std::uint32_t{entry.sensorNumber}}) {
        *out++ = '*';
        out = WriteHexByte(out, byte);
    }
    *out++ = '*';
    const std::string_view assertion = entry.deassertion == 0 ? kAssertionTrue : kAssertionFalse;
    for (const char character : assertion) *out++ = character;
    for (const std::uint32_t byte :
         {std::uint32_t{entry.eventType}, std::uint32_t{entry.EventData1()},
          std::uint32_t{entry.eventData2}, std::uint32_t{entry.eventData3}}) {
        *out++ = '*';
        out = WriteHexByte(out, byte);
    }
    *out++ = '*';
    text.append(fields, static_cast<std::size_t>(out - fields));
}

// "<sensor type> Assert: <event text>"; the act part starts at the sensor type's length.
void AppendCaption(std::string& text, const SelEntry& entry) {
    text += SensorTypeText(entry.sensorType);
    AppendActText(text, entry);
}

void AppendDescription(std::string& text, const SelEntry& entry, std::string_view act) {
    text += entry.sensorLabel;
    text += ": ";
    text += SensorTypeText(entry.sensorType);
    if (entry.entityId != 0) {
        text += " for ";
        text += EntityText(entry.entityId);
        text += ' ';
        AppendDecimal(text, entry.entityInstance);
    }
    text += ';';
    text += act;
}

}  // namespace

std::string RecordDataText(const SelEntry& entry) {
    std::string text;
    AppendRecordData(text, entry);
    return text;
}

std::string CaptionText(const SelEntry& entry) {
    std::string text;
    AppendCaption(text, entry);
    return text;
}

std::string DescriptionText(const SelEntry& entry) {
    std::string act;
    AppendActText(act, entry);
    std::string text;
    AppendDescription(text, entry, act);
    return text;
}

SelRecords BuildSelRecords(std::vector<SelEntry>& entries, const TimeZoneRules& rules,
                           const ManagementControllerRecord& controller) {
    SelRecords built;
    built.records.reserve(entries.size());
    // Timestamps are compared as signed numbers from 0 on, so only an event dated after
    // 1970 and before 2038 can become the newest.
    std::int32_t newestTimestamp = 0;
    std::string newestDateTime;
    CimDateTimeConverter dateTimes(rules);
    for (std::size_t index = 0; index < entries.size(); ++index) {
        SelEntry& entry = entries[index];
        // An entry without a date gets timestamp 0.
        CimDateTime converted = dateTimes.Convert(EntryDateTime(entry));
        entry.timestamp = converted.selTimestamp;

        LogRecordData& record = built.records.emplace_back();
        AppendDecimal(record.recordNumber, index + 1);
        record.logName = kSelLogName;
        record.logCreationClassName = kRecordLogClassName;
        record.elementName = kSelRecordElementName;
        record.messageTimestamp = std::move(converted.text);
        const auto signedTimestamp = static_cast<std::int32_t>(entry.timestamp);
        if (signedTimestamp > newestTimestamp) {
            newestTimestamp = signedTimestamp;
            newestDateTime = record.messageTimestamp;
        }
        // The caption ends in the act text that the description ends in too.
        record.caption.reserve(kCaptionReserve);
        AppendCaption(record.caption, entry);
        const std::string_view act =
            std::string_view(record.caption).substr(SensorTypeText(entry.sensorType).size());
        record.description.reserve(entry.sensorLabel.size() + record.caption.size() +
                                   kDescriptionEntityReserve);
        AppendDescription(record.description, entry, act);
        record.recordFormat = kRecordFormatText;
        record.recordData.reserve(entry.deviceId.size() + kRecordDataFixedReserve);
        AppendRecordData(record.recordData, entry);
    }

    RecordLogData& log = built.logData;
    log.currentNumberOfRecords = built.records.size();
    log.maxNumberOfRecords = 0;
    log.caption = kSelLogName;
    log.description = kSelLogName;
    log.elementName = kSelLogName;
    log.name = kSelLogName;
    log.enabledState = kRecordLogEnabled;
    log.instanceId = std::string(kInstanceIdPrefix);
    log.instanceId += controller.name;
    log.instanceId += kInstanceIdSuffix;
    log.lastChange = newestDateTime;
    return built;
}

}  // namespace norv
