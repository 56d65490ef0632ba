#include "eventlog/management_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "golden_text.h"

#include "log_area_builder.h"

namespace norv {
namespace {

using test::kAreaHeader;
using test::kPlainEntryLength;
using test::LogAreaBuilder;
using test::RecordIds;
using test::TestEntry;

std::vector<SelEntry> Read(const std::vector<std::uint8_t>& received, std::int32_t reportedSize) {
    std::vector<SelEntry> entries;
    ReadLogArea(received, reportedSize, test::LogTestInventory(), entries);
    return entries;
}

TEST(ReadLogArea, KeepsMappedEntriesInLogOrderAcrossAreas) {
    LogAreaBuilder area(256);
    const std::size_t end = area.PutAll(
        kAreaHeader,
        {{.number = 1}, {.number = 2, .eventClass = test::kUnmappedClass}, {.number = 3}});
    area.Header(static_cast<std::uint16_t>(end), 19);
    std::vector<SelEntry> entries = Read(area.Bytes(), 256);
    LogAreaBuilder second(128);
    second.Header(static_cast<std::uint16_t>(second.PutAll(kAreaHeader, {{.number = 8}})), 19);
    ReadLogArea(second.Bytes(), 128, test::LogTestInventory(), entries);  // appends
    EXPECT_EQ(RecordIds(entries), (std::vector<std::uint16_t>{1, 3, 8}));
    EXPECT_TRUE(LogAreaEntryBytes(area.Header(19, 19).Bytes(), 256).empty());
}

TEST(ReadLogArea, WrappedRingReadsFromStartToTheAreaEndThenFromTheHeaderToEnd) {
    // 10 and 11 lie before the area's end, 12 runs across it, 13 follows after the header.
    // Between end (75) and start (120) lie stale bytes that must not be read as entries.
    LogAreaBuilder area(200);
    ASSERT_EQ(area.PutAll(120, {{.number = 10}, {.number = 11}, {.number = 12}, {.number = 13}}),
              75u);
    area.Header(75, 120);
    EXPECT_EQ(LogAreaEntryBytes(area.Bytes(), 200).size(), (200u - 120u) + (75u - 19u));
    const std::vector<SelEntry> entries = Read(area.Bytes(), 200);
    ASSERT_EQ(RecordIds(entries), (std::vector<std::uint16_t>{10, 11, 12, 13}));
    // The entry across the seam is whole again: its date lies past the area's end.
    EXPECT_EQ(entries[2].raw[18], 20);
    EXPECT_EQ(entries[2].raw[23], 30);
    EXPECT_EQ(entries[2].raw[0], kPlainEntryLength);
}

TEST(ReadLogArea, LongEntryIsCutTo256BytesAndTheWalkSkipsItsWholeLength) {
    LogAreaBuilder area(512);
    area.Header(static_cast<std::uint16_t>(
                    area.PutAll(kAreaHeader, {{.number = 1, .length = 300}, {.number = 2}})),
                19);
    const std::vector<SelEntry> entries = Read(area.Bytes(), 512);
    ASSERT_EQ(RecordIds(entries), (std::vector<std::uint16_t>{1, 2}));
    const auto first = area.Bytes().begin() + kAreaHeader;
    EXPECT_TRUE(std::equal(entries[0].raw.begin(), entries[0].raw.end(), first));
    EXPECT_EQ(entries[0].raw[0] | (entries[0].raw[1] << 8), 300);
    EXPECT_TRUE(std::equal(entries[1].raw.begin(), entries[1].raw.begin() + kPlainEntryLength,
                           first + 300));
}

TEST(ReadLogArea, HostileAreasKeepTheWholeEntriesBeforeTheDamage) {
    test::ExpectCases("log_areas.txt", [](const std::string& input) {
        std::istringstream in(input);
        std::size_t areaSize = 0, at = 0, received = 0;
        std::uint16_t end = 0, start = 0;
        std::int32_t reportedSize = 0;
        in >> areaSize >> at >> end >> start >> received >> reportedSize;
        std::vector<TestEntry> entries;
        for (std::string entry; in >> entry;) {
            std::replace(entry.begin(), entry.end(), '/', ' ');
            std::istringstream fields(entry);
            TestEntry& written = entries.emplace_back();
            fields >> written.number >> written.length >> written.declaredLength;
        }
        LogAreaBuilder area(areaSize);
        const std::size_t after = area.PutAll(at, entries);
        area.Header(end != 0 ? end : static_cast<std::uint16_t>(after), start);
        std::string ids;
        for (const std::uint16_t id :
             RecordIds(Read(area.FirstBytes(received != 0 ? received : areaSize), reportedSize)))
            ids += (ids.empty() ? "" : " ") + std::to_string(id);
        return ids.empty() ? "none" : ids;
    });
}

}  // namespace
}  // namespace norv
