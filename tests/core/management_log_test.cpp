#include "eventlog/management_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "log_area_builder.h"

namespace norv {
namespace {

using test::kAreaHeader;
using test::kPlainEntryLength;
using test::LogAreaBuilder;
using test::RecordIds;
using test::TestEntry;

std::vector<std::uint16_t> ReadIds(const std::vector<std::uint8_t>& received,
                                   std::int32_t reportedSize) {
    std::vector<SelEntry> entries;
    ReadLogArea(received, reportedSize, test::LogTestInventory(), entries);
    return RecordIds(entries);
}

TEST(ReadLogArea, EndRightAfterTheHeaderIsAnEmptyLog) {
    LogAreaBuilder area(256);
    area.Header(19, 19);
    EXPECT_TRUE(LogAreaEntryBytes(area.Bytes(), 256).empty());
    EXPECT_TRUE(ReadIds(area.Bytes(), 256).empty());
}

TEST(ReadLogArea, KeepsMappedEntriesInLogOrderAndDropsTheOthers) {
    LogAreaBuilder area(256);
    const std::size_t end = area.PutAll(
        kAreaHeader,
        {{.number = 1}, {.number = 2, .eventClass = test::kUnmappedClass}, {.number = 3}});
    area.Header(static_cast<std::uint16_t>(end), 19);
    EXPECT_EQ(ReadIds(area.Bytes(), 256), (std::vector<std::uint16_t>{1, 3}));
}

TEST(ReadLogArea, WrappedRingReadsFromStartToTheAreaEndThenFromTheHeaderToEnd) {
    // 10 and 11 lie before the area's end, 12 runs across it, 13 follows after the header.
    // Between end (75) and start (120) lie stale bytes that must not be read as entries.
    LogAreaBuilder area(200);
    const std::size_t end =
        area.PutAll(120, {{.number = 10}, {.number = 11}, {.number = 12}, {.number = 13}});
    ASSERT_EQ(end, 75u);
    area.Header(75, 120);

    EXPECT_EQ(LogAreaEntryBytes(area.Bytes(), 200).size(), (200u - 120u) + (75u - 19u));
    std::vector<SelEntry> entries;
    ReadLogArea(area.Bytes(), 200, test::LogTestInventory(), entries);
    ASSERT_EQ(RecordIds(entries), (std::vector<std::uint16_t>{10, 11, 12, 13}));
    // The entry across the seam is whole again: its date lies past the area's end.
    const SelEntry& acrossSeam = entries[2];
    EXPECT_EQ(acrossSeam.raw[18], 20);
    EXPECT_EQ(acrossSeam.raw[23], 30);
    EXPECT_EQ(acrossSeam.raw[0], kPlainEntryLength);
}

TEST(ReadLogArea, LongEntryIsCutTo256BytesAndTheWalkSkipsItsWholeLength) {
    LogAreaBuilder area(512);
    const std::size_t end = area.PutAll(kAreaHeader, {{.number = 1, .length = 300}, {.number = 2}});
    area.Header(static_cast<std::uint16_t>(end), 19);

    std::vector<SelEntry> entries;
    ReadLogArea(area.Bytes(), 512, test::LogTestInventory(), entries);
    ASSERT_EQ(RecordIds(entries), (std::vector<std::uint16_t>{1, 2}));
    const auto first = area.Bytes().begin() + kAreaHeader;
    EXPECT_TRUE(std::equal(entries[0].raw.begin(), entries[0].raw.end(), first));
    EXPECT_EQ(entries[0].raw[0] | (entries[0].raw[1] << 8), 300);
    EXPECT_TRUE(std::equal(entries[1].raw.begin(), entries[1].raw.begin() + kPlainEntryLength,
                           first + 300));
}

TEST(ReadLogArea, AppendsToTheEntriesOfEarlierAreas) {
    LogAreaBuilder first(128);
    first.Header(static_cast<std::uint16_t>(first.PutAll(kAreaHeader, {{.number = 7}})), 19);
    LogAreaBuilder second(128);
    second.Header(static_cast<std::uint16_t>(second.PutAll(kAreaHeader, {{.number = 8}})), 19);

    std::vector<SelEntry> entries;
    ReadLogArea(first.Bytes(), 128, test::LogTestInventory(), entries);
    ReadLogArea(second.Bytes(), 128, test::LogTestInventory(), entries);
    EXPECT_EQ(RecordIds(entries), (std::vector<std::uint16_t>{7, 8}));
}

// Areas the driver should never hand over. Each keeps the whole entries before the damage
// and reads nothing past the bytes received (AddressSanitizer watches the exact buffers).
struct HostileArea {
    std::string name;
    std::function<void(std::vector<std::uint8_t>& received, std::int32_t& reportedSize)> build;
    std::vector<std::uint16_t> expected;
};

// Entries 1, 2 and 3 of 34 bytes from the header on (ending at 53, 87 and 121).
LogAreaBuilder ThreeEntries(std::size_t size) {
    LogAreaBuilder area(size);
    area.Header(121, 19);
    area.PutAll(kAreaHeader, {{.number = 1}, {.number = 2}, {.number = 3}});
    return area;
}

// The wrapped ring of the test above: 10, 11 from 120, 12 across the seam, 13 after it.
LogAreaBuilder WrappedRing() {
    LogAreaBuilder area(200);
    area.PutAll(120, {{.number = 10}, {.number = 11}, {.number = 12}, {.number = 13}});
    area.Header(75, 120);
    return area;
}

// Entry 1 fills the area up to 32740; entry 2 of `secondLength` bytes follows it.
void NearCapacity(std::vector<std::uint8_t>& received, std::int32_t& size,
                  std::size_t secondLength) {
    LogAreaBuilder area(32800);
    const std::size_t end = area.PutAll(kAreaHeader, {{.number = 1, .length = 32740 - kAreaHeader},
                                                      {.number = 2, .length = secondLength}});
    area.Header(static_cast<std::uint16_t>(end), 19);
    received = area.Bytes();
    size = 32800;
}

const std::vector<HostileArea>& HostileAreas() {
    static const std::vector<HostileArea> cases = {
        {"SizeBeyondTheBytesReceived",
         [](auto& received, auto& size) {
             received = ThreeEntries(256).FirstBytes(110);  // cuts entry 3
             size = 256;
         },
         {1, 2}},
        {"SizeBelowEnd",
         [](auto& received, auto& size) {
             received = ThreeEntries(256).Bytes();
             size = 100;  // entry 3 ends at 121
         },
         {1, 2}},
        {"EntryEndingExactlyAtTheCapacity",
         [](auto& received, auto& size) { NearCapacity(received, size, 28); },
         {1, 2}},
        {"EntryRunningPastTheCapacity",
         [](auto& received, auto& size) { NearCapacity(received, size, 29); },
         {1}},
        {"NegativeSize",
         [](auto& received, auto& size) {
             received = ThreeEntries(256).Bytes();
             size = -1;
         },
         {}},
        {"SizeSmallerThanTheHeader",
         [](auto& received, auto& size) {
             received = ThreeEntries(256).Bytes();
             size = 18;
         },
         {}},
        {"EndBelowTheHeader",
         [](auto& received, auto& size) {
             received = ThreeEntries(256).Header(18, 0).Bytes();
             size = 256;
         },
         {}},
        {"WrappedStartPastTheArea",
         [](auto& received, auto& size) {
             received = ThreeEntries(256).Header(121, 300).Bytes();
             size = 256;
         },
         {}},
        {"WrappedStartAtTheAreaEndJoinsNothingOlder",
         [](auto& received, auto& size) {
             received = ThreeEntries(256).Header(121, 256).Bytes();
             size = 256;
         },
         {1, 2, 3}},
        {"WrappedAreaCutShortKeepsTheOlderPartOnly",
         [](auto& received, auto& size) {
             received = WrappedRing().FirstBytes(180);  // cuts entry 11 at 154..188
             size = 200;
         },
         {10}},
        {"EntryLengthZero",
         [](auto& received, auto& size) {
             LogAreaBuilder area(256);
             area.Header(121, 19);
             area.PutAll(kAreaHeader,
                         {{.number = 1}, {.number = 2, .declaredLength = 0}, {.number = 3}});
             received = area.Bytes();
             size = 256;
         },
         {1}},
        {"EntryShorterThanAnEntryHeader",
         [](auto& received, auto& size) {
             LogAreaBuilder area(256);
             const std::size_t end = area.PutAll(
                 kAreaHeader, {{.number = 1}, {.number = 2, .length = 23}, {.number = 3}});
             area.Header(static_cast<std::uint16_t>(end), 19);
             received = area.Bytes();
             size = 256;
         },
         {1}},
        {"EntryOfExactlyAnEntryHeader",
         [](auto& received, auto& size) {
             LogAreaBuilder area(256);
             const std::size_t end = area.PutAll(
                 kAreaHeader, {{.number = 1}, {.number = 2, .length = 24}, {.number = 3}});
             area.Header(static_cast<std::uint16_t>(end), 19);
             received = area.Bytes();
             size = 256;
         },
         {1, 2, 3}},
        {"EntryRunningPastEnd",
         [](auto& received, auto& size) {
             LogAreaBuilder area(256);
             area.PutAll(kAreaHeader, {{.number = 1}, {.number = 2, .declaredLength = 100}});
             area.Header(87, 19);
             received = area.Bytes();
             size = 256;
         },
         {1}},
        {"OneStrayByteAfterTheLastEntry",
         [](auto& received, auto& size) {
             received = ThreeEntries(256).Header(54, 19).Bytes();
             size = 256;
         },
         {1}},
        {"LengthFieldOfTheLastEntryCut",
         [](auto& received, auto& size) {
             received = ThreeEntries(256).FirstBytes(54);
             size = 256;
         },
         {1}},
    };
    return cases;
}

TEST(ReadLogArea, HostileAreasKeepTheWholeEntriesBeforeTheDamage) {
    for (const HostileArea& hostile : HostileAreas()) {
        SCOPED_TRACE(hostile.name);
        std::vector<std::uint8_t> received;
        std::int32_t size = 0;
        hostile.build(received, size);
        received.shrink_to_fit();
        EXPECT_EQ(ReadIds(received, size), hostile.expected);
    }
}

}  // namespace
}  // namespace norv
