#include "eventlog/management_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

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

// Areas the driver should never hand over. Each keeps the whole entries before the damage
// and reads nothing past the bytes received (AddressSanitizer watches the exact buffers).
struct HostileArea {
    const char* name;
    std::size_t areaSize;
    std::size_t at;  // where the entries start
    std::vector<TestEntry> entries;
    std::uint16_t end, start;  // end 0: right after the last entry
    std::size_t received;      // 0: the whole area
    std::int32_t reportedSize;
    std::vector<std::uint16_t> expected;
};

// Entries 1, 2 and 3 of 34 bytes from the header on end at 53, 87 and 121.
const std::vector<TestEntry> kThree = {{.number = 1}, {.number = 2}, {.number = 3}};
const std::vector<TestEntry> kWrapped = {
    {.number = 10}, {.number = 11}, {.number = 12}, {.number = 13}};
// Entry 1 fills the area up to 32740.
const TestEntry kFiller = {.number = 1, .length = 32740 - kAreaHeader};

// clang-format off
const HostileArea kHostileAreas[] = {
    {"size beyond the bytes received", 256, 19, kThree, 121, 19, 110, 256, {1, 2}},
    {"size below end", 256, 19, kThree, 121, 19, 0, 100, {1, 2}},
    {"entry ending exactly at the capacity", 32800, 19, {kFiller, {.number = 2, .length = 28}}, 0, 19, 0, 32800, {1, 2}},
    {"entry running past the capacity", 32800, 19, {kFiller, {.number = 2, .length = 29}}, 0, 19, 0, 32800, {1}},
    {"negative size", 256, 19, kThree, 121, 19, 0, -1, {}},
    {"size smaller than the header", 256, 19, kThree, 121, 19, 0, 18, {}},
    {"end below the header", 256, 19, kThree, 18, 0, 0, 256, {}},
    {"wrapped start past the area", 256, 19, kThree, 121, 300, 0, 256, {}},
    {"wrapped start at the area end joins nothing older", 256, 19, kThree, 121, 256, 0, 256, {1, 2, 3}},
    {"wrapped area cut short keeps the older part only", 200, 120, kWrapped, 75, 120, 180, 200, {10}},
    {"entry length zero", 256, 19, {{.number = 1}, {.number = 2, .declaredLength = 0}, {.number = 3}}, 121, 19, 0, 256, {1}},
    {"entry shorter than an entry header", 256, 19, {{.number = 1}, {.number = 2, .length = 23}, {.number = 3}}, 0, 19, 0, 256, {1}},
    {"entry of exactly an entry header", 256, 19, {{.number = 1}, {.number = 2, .length = 24}, {.number = 3}}, 0, 19, 0, 256, {1, 2, 3}},
    {"entry running past end", 256, 19, {{.number = 1}, {.number = 2, .declaredLength = 100}}, 87, 19, 0, 256, {1}},
    {"one stray byte after the last entry", 256, 19, kThree, 54, 19, 0, 256, {1}},
    {"length field of the last entry cut", 256, 19, kThree, 121, 19, 54, 256, {1}},
};
// clang-format on

TEST(ReadLogArea, HostileAreasKeepTheWholeEntriesBeforeTheDamage) {
    for (const HostileArea& hostile : kHostileAreas) {
        LogAreaBuilder area(hostile.areaSize);
        const std::size_t after = area.PutAll(hostile.at, hostile.entries);
        area.Header(hostile.end != 0 ? hostile.end : static_cast<std::uint16_t>(after),
                    hostile.start);
        std::vector<std::uint8_t> received =
            area.FirstBytes(hostile.received != 0 ? hostile.received : hostile.areaSize);
        EXPECT_EQ(RecordIds(Read(received, hostile.reportedSize)), hostile.expected)
            << hostile.name;
    }
}

}  // namespace
}  // namespace norv
