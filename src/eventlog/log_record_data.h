// The texts the log providers show: one LogRecordData per SEL event and one RecordLogData
// for the log as a whole, built from the mapped log entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "eventlog/sel_entry.h"
#include "eventlog/time_zone_rules.h"
#include "host/provider_class_identity.h"
#include "inventory/controller_record.h"

namespace norv {

struct SelRecords;

// The fields of RecordData, by name and CIM type; the same for every record.
inline constexpr std::string_view kRecordFormatText =
    "*string CIM_Sensor.DeviceID*uint8[2] IPMI_RecordID*uint8 IPMI_RecordType"
    "*uint8[4] IPMI_Timestamp*uint8[2] IPMI_GeneratorID*uint8 IPMI_EvMRev"
    "*uint8 IPMI_SensorType*uint8 IPMI_SensorNumber*boolean IPMI_AssertionEvent"
    "*uint8 IPMI_EventType*uint8 IPMI_EventData1*uint8 IPMI_EventData2*uint8 IPMI_EventData3*";

inline constexpr std::string_view kSelLogName = "IPMI SEL";
inline constexpr std::string_view kSelRecordElementName = "IPMI SEL Record";
inline constexpr std::string_view kRecordLogClassName = IdentityOf("NorvRecordLogProv").servedClass;

// Fields of the SEL event record that are the same for every event.
inline constexpr std::uint8_t kSelRecordTypeSystemEvent = 0x02;
inline constexpr std::uint8_t kSelEventMessageRevision = 0x04;

// The RecordLog's EnabledState: "Enabled".
inline constexpr std::uint16_t kRecordLogEnabled = 2;

// One record's texts. The caption, the description, the date-time and RecordData are views
// of one buffer the record owns, so that a record costs one allocation; a copy views its own
// buffer.
struct LogRecordData {
    LogRecordData() = default;
    LogRecordData(const LogRecordData& other);
    LogRecordData(LogRecordData&& other) noexcept;
    LogRecordData& operator=(const LogRecordData& other);
    LogRecordData& operator=(LogRecordData&& other) noexcept;
    ~LogRecordData() = default;

    std::string recordNumber;  // 1-based position among the records, decimal
    // The names and the format are the same for every record, so they are not copied into
    // each: kSelLogName, kSelRecordElementName, kRecordLogClassName and kRecordFormatText.
    std::string_view logName;
    std::string_view caption;
    std::string_view description;
    std::string_view elementName;
    std::string_view logCreationClassName;
    std::string_view messageTimestamp;  // CIM date-time of the event
    std::string_view recordFormat;
    std::string_view recordData;
    std::string reserved;  // the tenth text, never set

private:
    friend SelRecords BuildSelRecords(std::vector<SelEntry>& entries, const TimeZoneRules& rules,
                                      const ManagementControllerRecord& controller);
    // Points the four owned views at `texts_`, where `from`'s lie in `fromTexts`, its buffer.
    void ViewOwnTexts(const LogRecordData& from, const char* fromTexts) noexcept;

    std::string texts_;
};

struct RecordLogData {
    std::string caption;
    std::string description;
    std::string elementName;
    std::string name;
    std::uint64_t currentNumberOfRecords = 0;
    std::uint64_t maxNumberOfRecords = 0;
    std::uint16_t enabledState = 0;
    std::string instanceId;
    // CIM date-time of the newest event; empty while the log has none.
    std::string lastChange;
};

struct SelRecords {
    std::vector<LogRecordData> records;  // one per entry, same order
    RecordLogData logData;
};

// The SEL event record as text: each field after a "*", each byte as two lower-case hex
// digits, the bytes of a field separated by a blank, least significant first, and a "*"
// at the end. The assertion field is the word "true" or "false".
std::string RecordDataText(const SelEntry& entry);

// "<sensor type> Assert: <event text>" (or "Deassert").
std::string CaptionText(const SelEntry& entry);

// "<sensor label>: <sensor type> for <entity> <instance>; Assert: <event text>"; an entity
// of 0 leaves out the " for " part.
std::string DescriptionText(const SelEntry& entry);

// Builds the records of the entries and the log's values. Converting an entry's date and
// time under `rules` also sets its SEL timestamp; the newest timestamp (compared signed,
// the earlier entry on a tie) gives the log's last change.
SelRecords BuildSelRecords(std::vector<SelEntry>& entries, const TimeZoneRules& rules,
                           const ManagementControllerRecord& controller);

}  // namespace norv
