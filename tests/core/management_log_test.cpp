#include "eventlog/management_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fake_health_data_source.h"
#include "log_area_builder.h"
#include "support/case_file.h"

namespace norv {
namespace {

using test::kAreaHeader;
using test::LogAreaBuilder;
using test::TestEntry;

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
    const auto first = test::AreaWith(
        256, {{.number = 1}, {.number = 2, .eventClass = test::kUnmappedClass}, {.number = 3}});
    std::vector<SelEntry> entries;
    std::vector<SeenLogEntry> seen;
    ReadLogArea(first, 256, test::LogTestInventory(), entries, &seen);
    ReadLogArea(test::AreaWith(128, {{.number = 8}}), 128, test::LogTestInventory(), entries,
                &seen);  // appends
    EXPECT_EQ(Ids(entries, {{.number = 1}, {.number = 3}, {.number = 8}}), "1 3 8");
    // Every entry walked is seen, the unmapped one too, each with its mapped place.
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(
        std::vector<std::size_t>({seen[0].mapped, seen[1].mapped, seen[2].mapped, seen[3].mapped}),
        std::vector<std::size_t>({0, kNotMapped, 1, 2}));
    EXPECT_EQ(seen[3].identity.substr(0, 2), std::string("\x08\0", 2));
}

// The log as the health driver hands it over: each instance's area read in turn against the
// inventory rebuilt for it; an instance whose properties cannot be read stops the reading
// (what came before stays), and a failed query, an unreadable instance or an area short of
// its size make the read not whole.
TEST(ReadManagementLog, ReadsEveryInstanceAndSaysWhetherTheLogWasWhole) {
    // Instance N holds area N and reports its size, but instance 3 reports none and 4 more.
    const struct {
        const char* label;
        const char* instances;
        bool queryFails;
        const char* ids;
        bool propertiesRead;
        bool whole;
        int inventories;
    } kRows[] = {
        {"two areas", "12", false, "1 2", true, true, 2},
        {"stopped at an unreadable one", "132", false, "1", false, false, 1},
        {"an area cut short", "14", false, "1 4", true, false, 2},
        {"the query failed", "", true, "none", true, false, 0},
        {"no instance", "", false, "none", true, true, 0},
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.label);
        testing::FakeHealthDataSource health;
        std::vector<testing::FakeProperties> instances;
        for (const char digit : std::string_view(row.instances)) {
            const TestEntry entry{.number = static_cast<std::uint16_t>(digit - '0')};
            instances.push_back({{"KronData", test::AreaWith(128, {entry})}});
            if (digit != '3') instances.back()["KronSize"] = digit == '4' ? 200 : 128;
        }
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
        EXPECT_EQ(Ids(entries, {{.number = 1}, {.number = 2}, {.number = 3}, {.number = 4}}),
                  row.ids);
        EXPECT_EQ(read.propertiesRead, row.propertiesRead);
        EXPECT_EQ(read.whole, row.whole);
        EXPECT_EQ(inventories, row.inventories);
        EXPECT_EQ(seen.size(), entries.size());
    }
}

TEST(ReadLogArea, AreasAsReviewed) {
    test::ExpectCases("log_areas.txt", [](const std::string& input) {
        std::istringstream in(input);
        if (input.starts_with("whole ")) {
            std::size_t received = 0;
            std::int32_t reported = 0;
            in.ignore(6) >> received >> reported;
            return std::string(IsWholeLogArea(received, reported) ? "whole" : "not whole");
        }
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
        std::vector<SelEntry> read;
        ReadLogArea(area.FirstBytes(received != 0 ? received : areaSize), reportedSize,
                    test::LogTestInventory(), read);
        return Ids(read, entries);
    });
}

}  // namespace
}  // namespace norv
