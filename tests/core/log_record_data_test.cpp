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
#include "log_area_builder.h"
#include "support/case_file.h"

namespace norv {
namespace {

using Date = std::array<std::uint8_t, 6>;
constexpr Date kJan2nd2007At1030 = {20, 7, 1, 2, 10, 30};  // 1167733800 = 0x459A3428

SelRecords Built(const std::vector<test::TestEntry>& logged, const TimeZoneRules& zone = {}) {
    std::vector<SelEntry> entries;
    ReadLogArea(test::AreaWith(1024, logged), 1024, test::LogTestInventory(), entries);
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
TEST(BuildSelRecords, ACopiedOrMovedRecordKeepsItsTexts) {
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
    EXPECT_EQ(record.caption, "Event Logging Disabled Assert: Log Area Reset/Cleared");
    EXPECT_TRUE(record.reserved.empty());
}

// tests/data/core/log_records.txt: the record numbers, record ids and timestamps of a log's
// records, and its last change.
TEST(BuildSelRecords, LogsAsReviewed) {
    test::ExpectCases("log_records.txt", [](const std::string& input) {
        std::istringstream in(input);
        TimeZoneRules zone;
        std::string bar;
        in >> zone.bias >> bar;
        std::vector<test::TestEntry> logged;
        for (std::string entry; std::getline(in, entry, ';');) {
            std::istringstream fields = test::CaseInput(entry);
            test::TestEntry& written = logged.emplace_back();
            fields >> written.number;
            for (std::uint8_t& part : written.dateTime) {
                unsigned value = 0;
                fields >> value;
                part = static_cast<std::uint8_t>(value);
            }
            if (std::string word; fields >> word) written.eventClass = test::kUnmappedClass;
        }
        const SelRecords built = Built(logged, zone);
        std::string text;
        for (const LogRecordData& record : built.records) {
            text += record.recordNumber + " [" + FieldOf(record.recordData, kRecordIdField) +
                    "] [" + FieldOf(record.recordData, kTimestampField) + "] " +
                    std::string(record.messageTimestamp) + "; ";
        }
        return text + "last change \"" + built.logData.lastChange + "\", " +
               std::to_string(built.logData.currentNumberOfRecords) + " records";
    });
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
