// The management log the host serves: an event's entry bytes and the area's ring read back
// with the provider's own reading. The faults of a description's log directives are
// tests/data/norvwmi/description_faults.txt's; the golden outputs show the records the shipped
// descriptions make.
#include "platform/management_log_assembly.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "eventlog/log_entry.h"
#include "eventlog/management_log.h"
#include "support/log_area.h"

namespace norvwmi {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::EntryNumbers;

std::uint16_t UInt16At(const Bytes& bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}

Bytes Entry(const LogEvent& event) {
    auto entry = AssembleLogEntry(event);
    if (const auto* error = std::get_if<LogAssemblyError>(&entry)) {
        ADD_FAILURE() << error->message;
        return {};
    }
    return std::get<Bytes>(entry);
}

Bytes Area(const std::vector<LogEvent>& events, const LogAreaLayout& layout) {
    auto area = AssembleLogArea(events, layout);
    if (const auto* error = std::get_if<LogAssemblyError>(&area)) {
        ADD_FAILURE() << error->message;
        return {};
    }
    return std::get<Bytes>(area);
}

LogAreaLayout Layout(std::optional<std::uint32_t> size, std::uint32_t wrapAfter = 0) {
    LogAreaLayout layout;
    layout.size = size;
    layout.wrapAfter = wrapAfter;
    return layout;
}

LogEvent FanEvent(std::uint16_t sequence, std::size_t extraDataBytes = 0) {
    LogEvent event;
    event.sequence = sequence;
    event.eventClass = 2;
    event.eventCode = 2;
    event.year = 2014;
    event.month = 1;
    event.day = static_cast<std::uint8_t>(sequence % 28 + 1);
    event.data = {0, 0, 0, 6};
    event.data.resize(event.data.size() + extraDataBytes, 0xAB);
    return event;
}

TEST(ManagementLogEntry, PostErrorTextLiesZeroTerminatedFromDataByteOne) {
    LogEvent event = FanEvent(0x0102);
    event.eventClass = 10;
    event.data = {7};
    event.text = "1785-Drive Array not Configured";
    const Bytes entry = Entry(event);

    // The 28 bytes before the data, data byte 0, the text and its terminator; the golden
    // outputs show the other header fields of the shipped descriptions' events.
    ASSERT_EQ(entry.size(), 28 + 1 + event.text->size() + 1);
    const norv::LogEntry read(entry);
    ASSERT_TRUE(read.Header());
    EXPECT_EQ(read.Header()->length, entry.size());
    EXPECT_EQ(read.Header()->number, 0x0102);
    EXPECT_EQ(read.DataByte(0), 7);
    const auto text = read.DataText(1, 236);
    EXPECT_EQ(std::string(text.begin(), text.end()), *event.text);
}

TEST(ManagementLogArea, WrappedRingPutsTheOldestEventsAtTheAreasEnd) {
    const std::vector<LogEvent> events = {FanEvent(11), FanEvent(12, 4), FanEvent(13), FanEvent(14),
                                          FanEvent(15, 3)};
    const Bytes area = Area(events, Layout(400, 2));
    ASSERT_EQ(area.size(), 400u);
    const std::size_t oldest = 34 + 36;
    EXPECT_EQ(UInt16At(area, 2), 400 - oldest);       // start
    EXPECT_EQ(UInt16At(area, 0), 19 + 34 + 34 + 35);  // end
    EXPECT_EQ(UInt16At(area, 400 - oldest + 2), 11);  // the oldest entry at start
    EXPECT_EQ(UInt16At(area, 400 - 36 + 2), 12);      // the second runs to the area's end
    EXPECT_EQ(UInt16At(area, 19 + 2), 13);            // the newest follow the header
    EXPECT_EQ(EntryNumbers(area), (std::vector<std::uint16_t>{11, 12, 13, 14, 15}));

    // Every event wrapped: nothing follows the header.
    const Bytes allWrapped = Area(events, Layout(400, 5));
    EXPECT_EQ(UInt16At(allWrapped, 0), 19);
    EXPECT_EQ(EntryNumbers(allWrapped), (std::vector<std::uint16_t>{11, 12, 13, 14, 15}));
}

}  // namespace
}  // namespace norvwmi
