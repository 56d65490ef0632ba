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

// Room reserved for a record's texts, so that they mostly take one allocation: the date-time;
// a caption, twice (the description repeats it but for the sensor type); the entity part of
// a description beyond its label and caption (" for ", the longest entity name, an instance
// number); the fixed-width fields of RecordData beside its device id (56 characters with
// "false").
constexpr std::size_t kCimDateTimeLength = 25;
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

// "<sensor label>: <sensor type> for <entity> <instance>;", the description before its act.
void AppendDescriptionHead(std::string& text, const SelEntry& entry) {
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
    AppendDescriptionHead(text, entry);
    text += act;
    return text;
}

LogRecordData::LogRecordData(const LogRecordData& other)
    : recordNumber(other.recordNumber),
      logName(other.logName),
      elementName(other.elementName),
      logCreationClassName(other.logCreationClassName),
      recordFormat(other.recordFormat),
      reserved(other.reserved),
      texts_(other.texts_) {
    ViewOwnTexts(other, other.texts_.data());
}

LogRecordData::LogRecordData(LogRecordData&& other) noexcept {
    *this = std::move(other);
}

LogRecordData& LogRecordData::operator=(const LogRecordData& other) {
    if (this != &other) *this = LogRecordData(other);
    return *this;
}

LogRecordData& LogRecordData::operator=(LogRecordData&& other) noexcept {
    if (this == &other) return *this;
    recordNumber = std::move(other.recordNumber);
    logName = other.logName;
    elementName = other.elementName;
    logCreationClassName = other.logCreationClassName;
    recordFormat = other.recordFormat;
    reserved = std::move(other.reserved);
    const char* const fromTexts = other.texts_.data();
    texts_ = std::move(other.texts_);
    ViewOwnTexts(other, fromTexts);
    return *this;
}

void LogRecordData::ViewOwnTexts(const LogRecordData& from, const char* fromTexts) noexcept {
    const auto rebase = [&](std::string_view view) {
        if (view.empty()) return std::string_view();
        const auto offset = static_cast<std::size_t>(view.data() - fromTexts);
        return std::string_view(texts_).substr(offset, view.size());
    };
    caption = rebase(from.caption);
    description = rebase(from.description);
    messageTimestamp = rebase(from.messageTimestamp);
    recordData = rebase(from.recordData);
}

SelRecords BuildSelRecords(std::vector<SelEntry>& entries, const TimeZoneRules& rules,
                           const ManagementControllerRecord& controller) {
    SelRecords built;
    built.records.reserve(entries.size());
    // Timestamps are compared as signed numbers from 0 on, so only an event dated after
    // 1970 and before 2038 can become the newest.
    std::int32_t newestTimestamp = 0;
    // In a log kept in order every record is the newest so far: its text is copied once, at
    // the end. No record is the newest while this is the count of entries.
    std::size_t newest = entries.size();
    CimDateTimeConverter dateTimes(rules);
    for (std::size_t index = 0; index < entries.size(); ++index) {
        SelEntry& entry = entries[index];
        LogRecordData& record = built.records.emplace_back();
        std::string& texts = record.texts_;
        texts.reserve(kCimDateTimeLength + kCaptionReserve + entry.sensorLabel.size() +
                      kDescriptionEntityReserve + kCaptionReserve + entry.deviceId.size() +
                      kRecordDataFixedReserve);
        // An entry without a date gets timestamp 0.
        entry.timestamp = dateTimes.AppendTo(EntryDateTime(entry), texts);
        const std::size_t captionBegin = texts.size();
        AppendCaption(texts, entry);
        const std::size_t actBegin = captionBegin + SensorTypeText(entry.sensorType).size();
        const std::size_t descriptionBegin = texts.size();
        // The description ends in the act text that the caption ends in too.
        AppendDescriptionHead(texts, entry);
        texts.append(texts, actBegin, descriptionBegin - actBegin);
        const std::size_t recordDataBegin = texts.size();
        AppendRecordData(texts, entry);

        const std::string_view view(texts);
        record.messageTimestamp = view.substr(0, captionBegin);
        record.caption = view.substr(captionBegin, descriptionBegin - captionBegin);
        record.description = view.substr(descriptionBegin, recordDataBegin - descriptionBegin);
        record.recordData = view.substr(recordDataBegin);
        AppendDecimal(record.recordNumber, index + 1);
        record.logName = kSelLogName;
        record.logCreationClassName = kRecordLogClassName;
        record.elementName = kSelRecordElementName;
        record.recordFormat = kRecordFormatText;
        const auto signedTimestamp = static_cast<std::int32_t>(entry.timestamp);
        if (signedTimestamp > newestTimestamp) {
            newestTimestamp = signedTimestamp;
            newest = index;
        }
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
    if (newest < entries.size()) log.lastChange = built.records[newest].messageTimestamp;
    return built;
}

}  // namespace norv
