#include "eventlog/management_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "fake_health_data_source.h"
#include "log_area_builder.h"
#include "support/case_file.h"

namespace norv {
namespace {

using test::kAreaHeader;
using test::LogAreaBuilder;
using test::TestEntry;

std::vector<SelEntry> Read(const std::vector<std::uint8_t>& received, std::int32_t reportedSize) {
    std::vector<SelEntry> entries;
    ReadLogArea(received, reportedSize, test::LogTestInventory(), entries);
    return entries;
}

// The record ids read, in order, each with a * if the bytes kept (the first 256, zero after
// the entry) are not the bytes written.
std::string Ids(const std::vector<SelEntry>& read, const std::vector<TestEntry>& written) {
    std::string ids;
    for (const SelEntry& entry : read) {
        std::vector<std::uint8_t> bytes = test::WrittenBytes(
            *std::find_if(written.begin(), written.end(),
                          [&](const TestEntry& w) { return w.number == entry.recordId; }));
        bytes.resize(entry.raw.size());
        const bool whole = std::equal(bytes.begin(), bytes.end(), entry.raw.begin());
        ids += (ids.empty() ? "" : " ") + std::to_string(entry.recordId) + (whole ? "" : "*");
    }
    return ids.empty() ? "none" : ids;
}

TEST(ReadLogArea, KeepsMappedEntriesInLogOrderAcrossAreas) {
    LogAreaBuilder area(256);
    const std::size_t end = area.PutAll(
        kAreaHeader,
        {{.number = 1}, {.number = 2, .eventClass = test::kUnmappedClass}, {.number = 3}});
    area.Header(static_cast<std::uint16_t>(end), 19);
    std::vector<SelEntry> entries;
    std::vector<SeenLogEntry> seen;
    ReadLogArea(area.Bytes(), 256, test::LogTestInventory(), entries, &seen);
    LogAreaBuilder second(128);
    second.Header(static_cast<std::uint16_t>(second.PutAll(kAreaHeader, {{.number = 8}})), 19);
    ReadLogArea(second.Bytes(), 128, test::LogTestInventory(), entries, &seen);  // appends
    EXPECT_EQ(Ids(entries, {{.number = 1}, {.number = 3}, {.number = 8}}), "1 3 8");
    // Every entry walked is seen, the unmapped one too, each with its mapped place.
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(
        std::vector<std::size_t>({seen[0].mapped, seen[1].mapped, seen[2].mapped, seen[3].mapped}),
        std::vector<std::size_t>({0, kNotMapped, 1, 2}));
    EXPECT_EQ(seen[3].identity.substr(0, 2), std::string("\x08\0", 2));
}

// The read saw the whole area when it received what the driver reports, up to the capacity.
TEST(ReadLogArea, AnAreaIsWholeWhenNoneOfItsReportedBytesIsMissing) {
    constexpr struct {
        std::size_t received;
        std::int32_t reported;
        bool whole;
    } kRows[] = {{256, 256, true}, {255, 256, false},    {256, 100, true},      {0, 0, true},
                 {0, -1, true},    {32768, 40000, true}, {32767, 40000, false}, {0, 19, false}};
    for (const auto& row : kRows) {
        EXPECT_EQ(IsWholeLogArea(row.received, row.reported), row.whole)
            << row.received << " of " << row.reported;
    }
}

// The log as the health driver hands it over: each instance's area read in turn against the
// inventory rebuilt for it; an instance whose properties cannot be read stops the reading
// (what came before stays), and a failed query, an unreadable instance or an area short of
// its size make the read not whole.
TEST(ReadManagementLog, ReadsEveryInstanceAndSaysWhetherTheLogWasWhole) {
    const auto area = [](std::uint16_t number) {
        LogAreaBuilder built(128);
        built.Header(static_cast<std::uint16_t>(built.PutAll(kAreaHeader, {{.number = number}})),
                     19);
        return built.Bytes();
    };
    const testing::FakeProperties first{{"KronSize", 128}, {"KronData", area(1)}};
    const testing::FakeProperties second{{"KronSize", 128}, {"KronData", area(2)}};
    const testing::FakeProperties sizeless{{"KronData", area(3)}};
    const testing::FakeProperties cut{{"KronSize", 200}, {"KronData", area(4)}};
    enum Kind { kFirst, kSecond, kSizeless, kCut };
    const testing::FakeProperties* kinds[] = {&first, &second, &sizeless, &cut};
    const struct {
        const char* label;
        std::vector<Kind> instances;
        bool queryFails;
        const char* ids;
        bool propertiesRead;
        bool whole;
        int inventories;
    } kRows[] = {
        {"two areas", {kFirst, kSecond}, false, "1 2", true, true, 2},
        {"stopped at an unreadable one", {kFirst, kSizeless, kSecond}, false, "1", false, false, 1},
        {"an area cut short", {kFirst, kCut}, false, "1 4", true, false, 2},
        {"the query failed", {}, true, "none", true, false, 0},
        {"no instance", {}, false, "none", true, true, 0},
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.label);
        testing::FakeHealthDataSource health;
        std::vector<testing::FakeProperties> instances;
        for (const Kind kind : row.instances) instances.push_back(*kinds[kind]);
        health.Serve(kManagementLogQuery, instances);
        if (row.queryFails) health.Fail(kManagementLogQuery);
        int inventories = 0;
        std::vector<SelEntry> entries;
        std::vector<SeenLogEntry> seen;
        const ManagementLogRead read = ReadManagementLog(
            health,
            [&](const auto& use) {
                ++inventories;
                use(test::LogTestInventory());
            },
            entries, seen);
        std::vector<TestEntry> numbers;
        for (std::uint16_t n = 1; n <= 4; ++n) numbers.push_back({.number = n});
        EXPECT_EQ(Ids(entries, numbers), row.ids);
        EXPECT_EQ(read.propertiesRead, row.propertiesRead);
        EXPECT_EQ(read.whole, row.whole);
        EXPECT_EQ(inventories, row.inventories);
        EXPECT_EQ(seen.size(), entries.size());
    }
}

TEST(ReadLogArea, AreasAsReviewed) {
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
        return Ids(Read(area.FirstBytes(received != 0 ? received : areaSize), reportedSize),
                   entries);
    });
}

}  // namespace
}  // namespace norv
