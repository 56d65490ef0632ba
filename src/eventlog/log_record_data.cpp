#include "eventlog/log_record_data.h"

#include <iomanip>
#include <sstream>
#include <utility>

#include "eventlog/cim_datetime.h"
#include "eventlog/event_text.h"
#include "eventlog/log_entry.h"
#include "inventory/vocabulary.h"

namespace norv {

namespace {

constexpr std::string_view kAssertWord = "Assert";
constexpr std::string_view kDeassertWord = "Deassert";

// The assertion field of RecordData: true for an assertion event.
constexpr std::string_view kAssertionTrue = "true";
constexpr std::string_view kAssertionFalse = "false";

constexpr std::string_view kInstanceIdPrefix = "IPMI:";
constexpr std::string_view kInstanceIdSuffix = " SEL Log";

// Every field of the log area's date and time lies inside the 256 bytes kept of an entry;
// an entry shorter than that reads as zeros there, that is, without a date.
LogDateTime EntryDateTime(const SelEntry& entry) {
    const auto* time = entry.raw.data() + kEntryDateTimeOffset;
    return {time[0], time[1], time[2], time[3], time[4], time[5]};
}

// " Assert: " or " Deassert: " and the event text.
std::string ActText(const SelEntry& entry) {
    std::string text = " ";
    text += entry.deassertion == 0 ? kAssertWord : kDeassertWord;
    text += ": ";
    text += EventText(entry.eventType, entry.sensorType, entry.dataUsage, entry.offset,
                      entry.eventData2, entry.eventData3);
    return text;
}

class RecordDataWriter {
public:
    RecordDataWriter() { stream << std::hex << std::setfill('0'); }

    RecordDataWriter& Field() {
        stream << '*';
        return *this;
    }
    RecordDataWriter& Text(std::string_view text) {
        stream << text;
        return *this;
    }
    RecordDataWriter& Byte(std::uint32_t value) {
        stream << std::setw(2) << (value & 0xFF);
        return *this;
    }
    // The bytes of a multi-byte field, least significant first, separated by blanks.
    RecordDataWriter& Bytes(std::uint32_t value, int count) {
        for (int index = 0; index < count; ++index) {
            if (index > 0) stream << ' ';
            Byte(value >> (8 * index));
        }
        return *this;
    }
    std::string Finish() {
        stream << '*';
        return stream.str();
    }

private:
    std::ostringstream stream;
};

}  // namespace

std::string RecordDataText(const SelEntry& entry) {
    RecordDataWriter writer;
    writer.Field().Text(entry.deviceId);
    writer.Field().Bytes(entry.recordId, 2);
    writer.Field().Byte(kSelRecordTypeSystemEvent);
    writer.Field().Bytes(entry.timestamp, 4);
    writer.Field().Byte(entry.ownerId).Text(" ").Byte(entry.ownerLun);
    writer.Field().Byte(kSelEventMessageRevision);
    writer.Field().Byte(entry.sensorType);
    writer.Field().Byte(entry.sensorNumber);
    writer.Field().Text(entry.deassertion == 0 ? kAssertionTrue : kAssertionFalse);
    writer.Field().Byte(entry.eventType);
    writer.Field().Byte(entry.EventData1());
    writer.Field().Byte(entry.eventData2);
    writer.Field().Byte(entry.eventData3);
    return writer.Finish();
}

std::string CaptionText(const SelEntry& entry) {
    std::string text(SensorTypeText(entry.sensorType));
    text += ActText(entry);
    return text;
}

std::string DescriptionText(const SelEntry& entry) {
    std::string text = entry.sensorLabel;
    text += ": ";
    text += SensorTypeText(entry.sensorType);
    if (entry.entityId != 0) {
        text += " for ";
        text += EntityText(entry.entityId);
        text += " ";
        text += std::to_string(entry.entityInstance);
    }
    text += ";";
    text += ActText(entry);
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
    for (std::size_t index = 0; index < entries.size(); ++index) {
        SelEntry& entry = entries[index];
        // An entry without a date gets timestamp 0.
        const CimDateTime converted = ToCimDateTime(EntryDateTime(entry), rules);
        entry.timestamp = converted.selTimestamp;

        LogRecordData record;
        record.recordNumber = std::to_string(index + 1);
        record.logName = kSelLogName;
        record.logCreationClassName = kRecordLogClassName;
        record.elementName = kSelRecordElementName;
        record.messageTimestamp = converted.text;
        const auto signedTimestamp = static_cast<std::int32_t>(entry.timestamp);
        if (signedTimestamp > newestTimestamp) {
            newestTimestamp = signedTimestamp;
            newestDateTime = record.messageTimestamp;
        }
        record.caption = CaptionText(entry);
        record.description = DescriptionText(entry);
        record.recordFormat = kRecordFormatText;
        record.recordData = RecordDataText(entry);
        built.records.push_back(std::move(record));
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
