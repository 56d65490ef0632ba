#include "eventlog/log_entry.h"

#include <algorithm>

#include "eventlog/sel_entry.h"

namespace norv {

namespace {

// Callers check that offset + 2 lies inside the bytes.
std::uint16_t ReadUInt16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

// Bytes shorter than an entry header are no entry, whatever their length field says: nothing
// of them is read.
std::span<const std::uint8_t> EntryExtent(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kEntryHeaderSize) {
        return bytes;
    }
    const std::size_t declared = ReadUInt16(bytes, kEntryLengthOffset);
    return bytes.first(std::min(declared, bytes.size()));
}

}  // namespace

LogEntry::LogEntry(std::span<const std::uint8_t> entryBytes) : bytes(EntryExtent(entryBytes)) {}

std::optional<LogEntryHeader> LogEntry::Header() const {
    if (bytes.size() < kEntryHeaderSize) {
        return std::nullopt;
    }
    LogEntryHeader header;
    header.length = ReadUInt16(bytes, kEntryLengthOffset);
    header.number = ReadUInt16(bytes, kEntryNumberOffset);
    header.status = bytes[kEntryStatusOffset];
    header.eventClass = ReadUInt16(bytes, kEntryClassOffset);
    header.eventCode = ReadUInt16(bytes, kEntryCodeOffset);
    return header;
}

std::optional<std::uint8_t> LogEntry::DataByte(std::size_t index) const {
    const std::size_t offset = kEntryDataOffset + index;
    if (offset >= bytes.size()) {
        return std::nullopt;
    }
    return bytes[offset];
}

std::span<const std::uint8_t> LogEntry::DataText(std::size_t index, std::size_t maxLength) const {
    // A text that would start at or past the end is empty.
    const std::span<const std::uint8_t> after =
        bytes.subspan(std::min(kEntryDataOffset + index, bytes.size()));
    const std::span<const std::uint8_t> rest = after.first(std::min(maxLength, after.size()));
    const auto terminator = std::find(rest.begin(), rest.end(), std::uint8_t{0});
    return rest.first(static_cast<std::size_t>(terminator - rest.begin()));
}

std::string LogEntry::Identity() const {
    if (bytes.size() < kEntryHeaderSize) return {};
    const std::span<const std::uint8_t> kept =
        bytes.first(std::min(bytes.size(), kSelEntryRawSize));
    const auto field = [&](std::size_t offset, std::size_t size) {
        return std::string(kept.begin() + static_cast<std::ptrdiff_t>(offset),
                           kept.begin() + static_cast<std::ptrdiff_t>(offset + size));
    };
    std::string identity = field(kEntryNumberOffset, 2);
    identity += field(kEntryClassOffset, 4);  // class and code
    identity += field(kEntryDateTimeOffset, sizeof(LogDateTime));
    if (kept.size() > kEntryDataOffset) {
        identity += field(kEntryDataOffset, kept.size() - kEntryDataOffset);
    }
    return identity;
}

}  // namespace norv
