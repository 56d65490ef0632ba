#include "simulated_driver/management_log_assembly.h"

#include <algorithm>
#include <numeric>

#include "eventlog/log_entry.h"
#include "eventlog/management_log.h"
#include "simulated_driver/uint16_field.h"

namespace norvwmi {

namespace {

using norv::kLogAreaEndOffset;
using norv::kLogAreaHeaderSize;
using norv::kLogAreaStartOffset;

constexpr std::size_t kMaxEntrySize = 0xFFFF;
constexpr std::size_t kMinEntrySize = 2;  // its own length field
constexpr std::size_t kTextDataByte = 1;

LogAssemblyError EventError(const LogEvent& event, const std::string& reason) {
    return LogAssemblyError{"log event " + std::to_string(event.sequence) + ": " + reason};
}

// The data bytes of an event as the entry stores them, the text in its place.
std::vector<std::uint8_t> DataBytes(const LogEvent& event) {
    std::vector<std::uint8_t> data = event.data;
    if (event.text) {
        data.resize(kTextDataByte);
        data.insert(data.end(), event.text->begin(), event.text->end());
        data.push_back(0);
    }
    if (data.size() < kMinLogEventDataBytes) data.resize(kMinLogEventDataBytes);
    return data;
}

}  // namespace

std::variant<std::vector<std::uint8_t>, LogAssemblyError> AssembleLogEntry(const LogEvent& event) {
    if (event.text && event.data.size() > kTextDataByte)
        return EventError(event, "a Text starts at data byte 1, so Data gives data byte 0 only");
    if (event.year / 100 > 0xFF) return EventError(event, "the year does not fit the entry");
    if (event.length && *event.length < kMinEntrySize)
        return EventError(event, "an entry holds at least its 2-byte length");

    const std::vector<std::uint8_t> data = DataBytes(event);
    const std::size_t contentSize = norv::kEntryDataOffset + data.size();
    if (contentSize > kMaxEntrySize)
        return EventError(event, "the entry is longer than 65535 bytes");
    const std::size_t size = event.length.value_or(static_cast<std::uint16_t>(contentSize));

    std::vector<std::uint8_t> entry(std::max(size, contentSize), 0);
    PutUInt16(entry, norv::kEntryLengthOffset, static_cast<std::uint16_t>(size));
    PutUInt16(entry, norv::kEntryNumberOffset, event.sequence);
    entry[norv::kEntryStatusOffset] = event.status;
    PutUInt16(entry, norv::kEntryClassOffset, event.eventClass);
    PutUInt16(entry, norv::kEntryCodeOffset, event.eventCode);
    if (event.year != 0) {
        const std::uint8_t dateTime[] = {static_cast<std::uint8_t>(event.year / 100),
                                         static_cast<std::uint8_t>(event.year % 100),
                                         event.month,
                                         event.day,
                                         event.hour,
                                         event.minute};
        static_assert(sizeof(dateTime) == sizeof(norv::LogDateTime));
        std::copy(std::begin(dateTime), std::end(dateTime),
                  entry.begin() + norv::kEntryDateTimeOffset);
    }
    std::copy(data.begin(), data.end(), entry.begin() + norv::kEntryDataOffset);
    entry.resize(size);
    return entry;
}

std::variant<std::vector<std::uint8_t>, LogAssemblyError> AssembleLogArea(
    std::span<const LogEvent> events, const LogAreaLayout& layout) {
    if (layout.wrapAfter > events.size())
        return LogAssemblyError{"the log wraps after " + std::to_string(layout.wrapAfter) +
                                " events but has " + std::to_string(events.size())};

    std::vector<std::vector<std::uint8_t>> entries;
    for (const LogEvent& event : events) {
        auto entry = AssembleLogEntry(event);
        if (auto* error = std::get_if<LogAssemblyError>(&entry)) return *error;
        entries.push_back(std::get<std::vector<std::uint8_t>>(std::move(entry)));
    }
    const auto bytesOf = [](auto first, auto last) {
        return std::accumulate(first, last, std::size_t{0}, [](std::size_t sum, const auto& entry) {
            return sum + entry.size();
        });
    };
    const auto seam = entries.begin() + layout.wrapAfter;
    const std::size_t oldest = bytesOf(entries.begin(), seam);  // lie at the area's end
    const std::size_t newest = bytesOf(seam, entries.end());    // follow the header
    const bool wrapped = layout.wrapAfter > 0;

    const std::size_t needed = kLogAreaHeaderSize + oldest + newest;
    if (wrapped && !layout.size) return LogAssemblyError{"a wrapped log area needs its KronSize"};
    const std::size_t size = layout.size.value_or(static_cast<std::uint32_t>(needed));
    if (size > kMaxLogAreaSize)
        return LogAssemblyError{"the log area's KronSize " + std::to_string(size) +
                                " is past the 65535 bytes its offsets reach"};
    // A wrapped ring keeps a free byte between end and start, or it would read as unwrapped.
    const std::size_t required = needed + (wrapped ? 1 : 0);
    if (size < required)
        return LogAssemblyError{"the log area's KronSize " + std::to_string(size) +
                                " is below the " + std::to_string(required) +
                                " bytes of its header and entries" +
                                (wrapped ? " and the free byte a wrapped ring keeps" : "")};

    std::vector<std::uint8_t> area(size, 0);
    const std::size_t end = kLogAreaHeaderSize + newest;
    const std::size_t start = wrapped ? size - oldest : kLogAreaHeaderSize;
    auto next = area.begin() + static_cast<std::ptrdiff_t>(start);
    for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
        if (entry == seam) next = area.begin() + static_cast<std::ptrdiff_t>(kLogAreaHeaderSize);
        next = std::copy(entry->begin(), entry->end(), next);
    }
    PutUInt16(area, kLogAreaEndOffset, layout.headerEnd.value_or(static_cast<std::uint16_t>(end)));
    PutUInt16(area, kLogAreaStartOffset,
              layout.headerStart.value_or(static_cast<std::uint16_t>(start)));
    return area;
}

}  // namespace norvwmi
