#include "eventlog/log_record_data.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "eventlog/management_log.h"
#include "golden_text.h"
#include "log_area_builder.h"

namespace norv {
namespace {

using Date = std::array<std::uint8_t, 6>;
constexpr Date kJan2nd2007At1030 = {20, 7, 1, 2, 10, 30};  // 1167733800 = 0x459A3428
constexpr Date kJune1st2008 = {20, 8, 6, 1, 0, 0};
constexpr Date kYear2040 = {20, 40, 1, 1, 0, 0};
constexpr Date kUndated = {0, 8, 6, 1, 0, 0};

SelRecords Built(const std::vector<test::TestEntry>& logged, const TimeZoneRules& zone = {}) {
    test::LogAreaBuilder area(1024);
    area.Header(static_cast<std::uint16_t>(area.PutAll(test::kAreaHeader, logged)), 19);
    std::vector<SelEntry> entries;
    ReadLogArea(area.Bytes(), 1024, test::LogTestInventory(), entries);
    entries.front().timestamp = 0xDEADBEEF;  // a stale value must not survive
    return BuildSelRecords(entries, zone, MakeManagementControllerRecord("232", "123456-B21"));
}

// Field `index` of a "*"-separated text (field 0 is the empty text before the first "*").
std::string FieldOf(std::string_view text, std::size_t index) {
    std::size_t begin = 0;
    for (std::size_t skipped = 0; skipped < index; ++skipped) {
        begin = text.find('*', begin);
        if (begin == std::string_view::npos) return "<missing>";
        ++begin;
    }
    return std::string(text.substr(begin, text.find('*', begin) - begin));
}

constexpr std::size_t kRecordIdField = 2, kTimestampField = 4;

// A record's texts share one buffer that the record owns: a copy (as an event snapshot keeps)
// and a moved record still read them once the log they came from is gone.
TEST(BuildSelRecords, RecordOfALogClearedEvent) {
    LogRecordData record;
    LogRecordData moved;
    {
        SelRecords built = Built({{.number = 0x0102, .dateTime = kJan2nd2007At1030}});
        ASSERT_EQ(built.records.size(), 1u);
        record = built.records[0];
        moved = std::move(built.records[0]);
    }
    for (const auto text : {&LogRecordData::messageTimestamp, &LogRecordData::caption,
                            &LogRecordData::description, &LogRecordData::recordData}) {
        EXPECT_EQ(moved.*text, record.*text);
    }
    // The fixed texts (log name, record format, ...) are in the golden outputs.
    EXPECT_EQ(record.recordNumber, "1");
    EXPECT_EQ(record.messageTimestamp, "20070102103000.000000+000");
    EXPECT_EQ(record.caption, "Event Logging Disabled Assert: Log Area Reset/Cleared");
    // Entity 0: no " for " part.
    EXPECT_EQ(record.description,
              "Kron Maintenance(41.0.32): Event Logging Disabled; Assert: Log Area Reset/Cleared");
    // Record id and timestamp least significant byte first.
    EXPECT_EQ(record.recordData, "*41.0.32*02 01*02*28 34 9a 45*20 00*04*10*29*true*6f*02*ff*ff*");
    EXPECT_TRUE(record.reserved.empty());
}

TEST(BuildSelRecords, TimeZoneGivesTheOffsetButNotTheTimestamp) {
    TimeZoneRules eastern;
    eastern.bias = 300;
    const SelRecords built = Built({{.number = 1, .dateTime = kJan2nd2007At1030}}, eastern);
    EXPECT_EQ(built.records[0].messageTimestamp, "20070102103000.000000-300");
    EXPECT_EQ(FieldOf(built.records[0].recordData, kTimestampField), "28 34 9a 45");
    EXPECT_EQ(built.logData.lastChange, "20070102103000.000000-300");
}

TEST(BuildSelRecords, RecordNumbersCountMappedEntriesWhileRecordIdsKeepTheLogsNumbers) {
    const SelRecords built = Built({{.number = 0x0102},
                                    {.number = 0x0103, .eventClass = test::kUnmappedClass},
                                    {.number = 0x0104}});
    ASSERT_EQ(built.records.size(), 2u);
    EXPECT_EQ(built.records[1].recordNumber, "2");
    EXPECT_EQ(FieldOf(built.records[0].recordData, kRecordIdField), "02 01");
    EXPECT_EQ(FieldOf(built.records[1].recordData, kRecordIdField), "04 01");
    EXPECT_EQ(built.logData.currentNumberOfRecords, 2u);
}

TEST(BuildSelRecords, LastChangeIsTheNewestSignedTimestampAndUndatedEntriesReadZero) {
    // 2040 lies past 2^31 seconds and so counts as older than anything; an undated entry
    // (timestamp 0) never counts. 2008 is logged twice, the tie keeps the first.
    const SelRecords built = Built({{.number = 1, .dateTime = kUndated},
                                    {.number = 2, .dateTime = kJune1st2008},
                                    {.number = 3, .dateTime = kJan2nd2007At1030},
                                    {.number = 4, .dateTime = kJune1st2008},
                                    {.number = 5, .dateTime = kYear2040}});
    ASSERT_EQ(built.records.size(), 5u);
    EXPECT_EQ(built.logData.lastChange, "20080601000000.000000+000");
    EXPECT_EQ(built.records[0].messageTimestamp, "00000000000000.000000+000");
    EXPECT_EQ(FieldOf(built.records[0].recordData, kTimestampField), "00 00 00 00");
    EXPECT_EQ(FieldOf(built.records[4].recordData, kTimestampField), "80 7e aa 83");
    EXPECT_EQ(Built({{.number = 1, .dateTime = kUndated}}).logData.lastChange, "");
}

TEST(BuildSelRecords, EmptyLogGivesNoRecordsAndTheFixedLogValues) {
    std::vector<SelEntry> entries;
    const SelRecords built =
        BuildSelRecords(entries, {}, MakeManagementControllerRecord("232", "1"));
    EXPECT_TRUE(built.records.empty());
    const RecordLogData& log = built.logData;
    EXPECT_EQ(log.currentNumberOfRecords + log.maxNumberOfRecords, 0u);
    EXPECT_EQ(log.enabledState, 2);
    EXPECT_EQ(log.instanceId + "|" + log.lastChange, "IPMI:IPMI Controller 0 SEL Log|");
}

TEST(LogRecordTexts, CasesAsReviewed) {
    test::ExpectCases("log_record_texts.txt", [](const std::string& input) {
        std::istringstream in = test::CaseInput(input);
        SelEntry entry;
        unsigned field[15] = {};
        for (unsigned& value : field) in >> value;
        entry.recordId = static_cast<std::uint16_t>(field[0]);
        entry.timestamp = field[1];
        const auto byte = [&](int index) { return static_cast<std::uint8_t>(field[index]); };
        entry.sensorType = byte(2);
        entry.deassertion = byte(3);
        entry.eventType = byte(4);
        entry.offset = byte(5);
        entry.SetEventData2(byte(6), byte(7));
        entry.SetEventData3(byte(8), byte(9));
        entry.ownerId = byte(10);
        entry.ownerLun = byte(11);
        entry.sensorNumber = byte(12);
        entry.entityId = field[13];
        entry.entityInstance = byte(14);
        entry.deviceId = std::to_string(field[12]) + "." + std::to_string(field[11]) + "." +
                         std::to_string(field[10]);
        std::getline(in >> std::ws, entry.sensorLabel);
        entry.sensorLabel += "(" + entry.deviceId + ")";
        return CaptionText(entry) + " | " + DescriptionText(entry) + " | " + RecordDataText(entry);
    });
}

}  // namespace
}  // namespace norv
