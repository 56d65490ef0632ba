#include "eventlog/management_log.h"

#include <algorithm>

#include "eventlog/log_entry.h"
#include "eventlog/log_entry_mapping.h"

namespace norv {

namespace {

// Callers check that offset + 2 lies inside the bytes.
std::size_t ReadOffset(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::size_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

}  // namespace

std::span<const std::uint8_t> LogArea(std::span<const std::uint8_t> received,
                                      std::int32_t reportedSize) {
    if (reportedSize <= 0) return {};
    const std::size_t size =
        std::min({static_cast<std::size_t>(reportedSize), received.size(), kLogAreaCapacity});
    return received.first(size);
}

std::vector<std::uint8_t> LogAreaEntryBytes(std::span<const std::uint8_t> received,
                                            std::int32_t reportedSize) {
    const std::span<const std::uint8_t> area = LogArea(received, reportedSize);
    if (area.size() < kLogAreaHeaderSize) return {};
    const std::size_t end = ReadOffset(area, kLogAreaEndOffset);
    const std::size_t start = ReadOffset(area, kLogAreaStartOffset);
    if (end < kLogAreaHeaderSize) return {};

    const auto bytesBetween = [&](std::size_t from, std::size_t to) {
        return area.subspan(from, to - from);
    };
    if (start <= end) {
        const std::span<const std::uint8_t> entries =
            bytesBetween(kLogAreaHeaderSize, std::min(end, area.size()));
        return {entries.begin(), entries.end()};
    }
    if (start > area.size()) return {};
    const std::span<const std::uint8_t> older = bytesBetween(start, area.size());
    std::vector<std::uint8_t> joined(older.begin(), older.end());
    // The area was cut short of the size the driver reports: the older part lacks its tail,
    // so what follows it would be read as the rest of a cut entry.
    const bool wholeArea = static_cast<std::size_t>(reportedSize) == area.size();
    if (wholeArea) {
        const std::span<const std::uint8_t> newer = bytesBetween(kLogAreaHeaderSize, end);
        joined.insert(joined.end(), newer.begin(), newer.end());
    }
    return joined;
}

std::vector<std::span<const std::uint8_t>> SplitLogEntries(
    std::span<const std::uint8_t> entryBytes) {
    std::vector<std::span<const std::uint8_t>> entries;
    std::span<const std::uint8_t> rest = entryBytes;
    while (rest.size() >= kEntryLengthOffset + 2) {
        const std::size_t length = ReadOffset(rest, kEntryLengthOffset);
        if (length < kEntryHeaderSize || length > rest.size()) break;
        entries.push_back(rest.first(length));
        rest = rest.subspan(length);
    }
    return entries;
}

void ReadLogArea(std::span<const std::uint8_t> received, std::int32_t reportedSize,
                 const SensorInventory& inventory, std::vector<SelEntry>& entries,
                 std::vector<SeenLogEntry>* seen) {
    const std::vector<std::uint8_t> entryBytes = LogAreaEntryBytes(received, reportedSize);
    const std::vector<std::span<const std::uint8_t>> split = SplitLogEntries(entryBytes);
    // Each entry is mapped in its place at the end of the list (a SelEntry is some 360
    // bytes) and taken off again when it is dropped; the list grows once.
    entries.reserve(entries.size() + split.size());
    const SensorSearch search(inventory);
    if (seen) seen->reserve(seen->size() + split.size());
    for (const std::span<const std::uint8_t> entry : split) {
        const bool mapped = MapEntry(entry, search, entries.emplace_back());
        if (!mapped) entries.pop_back();
        if (seen)
            seen->push_back({LogEntry(entry).Identity(), mapped ? entries.size() - 1 : kNotMapped});
    }
}

bool IsWholeLogArea(std::size_t received, std::int32_t reportedSize) {
    if (reportedSize <= 0) return true;
    return received >= std::min(static_cast<std::size_t>(reportedSize), kLogAreaCapacity);
}

ManagementLogRead ReadManagementLog(HealthDataSource& health, const WithInventory& withInventory,
                                    std::vector<SelEntry>& entries,
                                    std::vector<SeenLogEntry>& seen) {
    ManagementLogRead read;
    const std::size_t notRunBefore = health.QueriesNotRun();
    const HealthObjectList logs = health.Query(kHealthNamespace, kManagementLogQuery);
    read.whole = health.QueriesNotRun() == notRunBefore;
    std::vector<std::uint8_t> area;
    for (const auto& log : logs) {
        std::int32_t size = 0;
        if (!health.ReadInt32(*log, "KronSize", size) ||
            !health.ReadBytes(*log, "KronData", kLogAreaCapacity, area)) {
            read.propertiesRead = false;
            read.whole = false;
            return read;
        }
        if (!IsWholeLogArea(area.size(), size)) read.whole = false;
        withInventory([&](const SensorInventory& inventory) {
            ReadLogArea(area, size, inventory, entries, &seen);
        });
    }
    return read;
}

}  // namespace norv
