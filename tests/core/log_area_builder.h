// Builds management-log entries and areas byte by byte for the tests: an area is a header
// with end and start, and entries written into the ring (an entry that reaches the area's
// end continues after the header, as the driver writes them).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "eventlog/sel_entry.h"
#include "inventory/sensor_inventory.h"
#include "inventory/sensor_kind.h"
#include "inventory/sensor_record.h"

namespace norv::test {

inline constexpr std::size_t kAreaHeader = 19;
inline constexpr std::size_t kPlainEntryLength = 34;  // the header and six data bytes

// "Log Area Reset/Cleared" of the log-maintenance sensor: maps whatever its data bytes say.
inline constexpr std::uint16_t kLogClearedClass = 33;
inline constexpr std::uint16_t kLogClearedCode = 1;
// A class without a mapping table: read, then dropped.
inline constexpr std::uint16_t kUnmappedClass = 4;

struct TestEntry {
    std::uint16_t number = 0;
    std::size_t length = kPlainEntryLength;
    std::uint16_t eventClass = kLogClearedClass;
    std::uint16_t eventCode = kLogClearedCode;
    // century, year, month, day, hour, minute
    std::array<std::uint8_t, 6> dateTime = {20, 7, 1, 2, 10, 30};
    // Written into the length field instead of `length` when not 0xFFFF.
    std::uint16_t declaredLength = 0xFFFF;
    std::uint8_t status = 5;
    std::array<std::uint8_t, 6> data = {};
};

// The entry's `length` bytes, zero after its data bytes, in a buffer of exactly that size so
// that AddressSanitizer catches a read past its end.
inline void PutWord(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline std::vector<std::uint8_t> EntryBytes(const TestEntry& entry) {
    std::vector<std::uint8_t> full(std::max(entry.length, kPlainEntryLength), 0);
    PutWord(full, 0,
            entry.declaredLength != 0xFFFF ? entry.declaredLength
                                           : static_cast<std::uint16_t>(entry.length));
    PutWord(full, 2, entry.number);
    full[7] = entry.status;
    PutWord(full, 8, entry.eventClass);
    PutWord(full, 10, entry.eventCode);
    std::copy(entry.dateTime.begin(), entry.dateTime.end(), full.begin() + 18);
    std::copy(entry.data.begin(), entry.data.end(), full.begin() + 28);
    full.resize(entry.length);
    full.shrink_to_fit();
    return full;
}

// The entry's bytes as a log area holds them: past the data bytes a pattern, so that a long
// entry's copy can be checked byte by byte.
inline std::vector<std::uint8_t> WrittenBytes(const TestEntry& entry) {
    std::vector<std::uint8_t> bytes = EntryBytes(entry);
    for (std::size_t offset = kPlainEntryLength; offset < bytes.size(); ++offset)
        bytes[offset] = static_cast<std::uint8_t>(offset * 7);
    return bytes;
}

class LogAreaBuilder {
public:
    // An area of `size` bytes, every byte after the header 0xEE so that a stray read of
    // unwritten bytes is not mistaken for zeros.
    explicit LogAreaBuilder(std::size_t size) : area(size, 0xEE) {
        std::fill_n(area.begin(), std::min(size, kAreaHeader), std::uint8_t{0});
    }

    LogAreaBuilder& Header(std::uint16_t end, std::uint16_t start) {
        PutWord(area, 0, end);
        PutWord(area, 2, start);
        return *this;
    }

    // Writes the entries (WrittenBytes) one after another from ring position `at` and returns
    // the position after the last.
    std::size_t PutAll(std::size_t at, const std::vector<TestEntry>& entries) {
        for (const TestEntry& entry : entries) {
            for (const std::uint8_t byte : WrittenBytes(entry)) {
                if (at == area.size()) at = kAreaHeader;
                area[at++] = byte;
            }
        }
        return at;
    }

    const std::vector<std::uint8_t>& Bytes() const { return area; }

    // The first `count` bytes only, in a buffer of exactly that size, as a short read gives.
    std::vector<std::uint8_t> FirstBytes(std::size_t count) const {
        return {area.begin(), area.begin() + static_cast<std::ptrdiff_t>(count)};
    }

private:
    std::vector<std::uint8_t> area;
};

// An area of `size` bytes holding the entries from the header on, its end after the last.
inline std::vector<std::uint8_t> AreaWith(std::size_t size, const std::vector<TestEntry>& entries) {
    LogAreaBuilder area(size);
    area.Header(static_cast<std::uint16_t>(area.PutAll(kAreaHeader, entries)), kAreaHeader);
    return area.Bytes();
}

// One log-maintenance sensor (number 41, owner 0x20), which every log-cleared entry names,
// behind a fan that none of them names.
inline SensorInventory LogTestInventory() {
    SensorInventory inventory;
    const auto add = [&](SensorKind kind, std::uint8_t number, std::uint8_t key) {
        SensorRecord record;
        record.SetSensorNumber(number);
        record.SetOwnerId(0x20);
        record.SetName(kind, key, kNoNumber, kNoNumber);
        inventory.Append(record);
    };
    add(SensorKind::Fan, 1, 1);
    add(SensorKind::LogMaintenance, 41, kNoNumber);
    inventory.SetValid(true);
    return inventory;
}

}  // namespace norv::test
