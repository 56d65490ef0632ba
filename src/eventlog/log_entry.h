// One entry of the platform's management event log: a little-endian header of fixed fields
// followed by class-specific data bytes. The entry comes from outside, so every field is
// read only after checking that the entry reaches it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "eventlog/cim_datetime.h"

namespace norv {

// Field offsets from the start of an entry.
inline constexpr std::size_t kEntryLengthOffset = 0;     // uint16, the entry's size in bytes
inline constexpr std::size_t kEntryNumberOffset = 2;     // uint16, the log's own entry number
inline constexpr std::size_t kEntryStatusOffset = 7;     // uint8
inline constexpr std::size_t kEntryClassOffset = 8;      // uint16
inline constexpr std::size_t kEntryCodeOffset = 10;      // uint16
inline constexpr std::size_t kEntryDateTimeOffset = 18;  // 6 bytes, in LogDateTime's order
inline constexpr std::size_t kEntryDataOffset = 28;      // data byte 0; data byte n follows at +n

// Every entry the mapping accepts holds the header up to and including its date and time.
inline constexpr std::size_t kEntryHeaderSize = kEntryDateTimeOffset + sizeof(LogDateTime);

struct LogEntryHeader {
    std::uint16_t length = 0;
    std::uint16_t number = 0;
    std::uint8_t status = 0;
    std::uint16_t eventClass = 0;
    std::uint16_t eventCode = 0;
    // The date and time are read where a record's timestamp is made (EntryDateTime).
};

class LogEntry {
public:
    // The entry ends at its own length field or at the end of the bytes, whichever comes
    // first, so nothing past either is ever read.
    explicit LogEntry(std::span<const std::uint8_t> bytes);

    std::span<const std::uint8_t> Bytes() const { return bytes; }

    // Nothing when the entry ends before its date and time.
    std::optional<LogEntryHeader> Header() const;

    // Data byte `index` (at entry offset 28 + index); nothing when the entry ends before it.
    std::optional<std::uint8_t> DataByte(std::size_t index) const;

    // The zero-terminated text that starts at data byte `index`, without its zero: at most
    // maxLength bytes and never past the entry's end (an unterminated text ends there).
    std::span<const std::uint8_t> DataText(std::size_t index, std::size_t maxLength) const;

    // What names the entry across two reads of the log: its own number, class, code, date and
    // time, and its data bytes up to the 256 an entry keeps. The status byte and the header
    // bytes nothing reads are left out, so firmware that marks an entry repaired, or counts a
    // repeat in place, does not make it another entry. Empty for an entry too short to map.
    std::string Identity() const;

private:
    std::span<const std::uint8_t> bytes;
};

}  // namespace norv
