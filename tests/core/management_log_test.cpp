#include "eventlog/management_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

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
