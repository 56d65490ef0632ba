// The platform's management event log as the health driver hands it over: a log area that
// starts with a small header and holds the entries as a ring. Reading it yields the entries
// that map to SEL events of sensors in the inventory.
//
// The area comes from outside: whatever its header and lengths say, nothing past the bytes
// received is read and the walk always advances. A damaged area gives the whole entries
// that lie before the damage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "eventlog/sel_entry.h"
#include "inventory/sensor_inventory.h"
#include "platform/health_data_source.h"

namespace norv {

// The log area is read into a buffer of this many bytes; an area is never larger.
inline constexpr std::size_t kLogAreaCapacity = 32768;

// The header: two 16-bit little-endian offsets into the area, then bytes not read here.
inline constexpr std::size_t kLogAreaEndOffset = 0;    // where the next entry will be written
inline constexpr std::size_t kLogAreaStartOffset = 2;  // where the oldest entry begins
inline constexpr std::size_t kLogAreaHeaderSize = 19;  // entries fill the area from here on

// The area proper: the bytes received, cut to the size the driver reports and to the
// capacity. A negative size gives an empty area.
std::span<const std::uint8_t> LogArea(std::span<const std::uint8_t> received,
                                      std::int32_t reportedSize);

// The entry bytes of the area, oldest first. Unwrapped (start <= end) they are the bytes from
// the header's end up to end. Wrapped (start > end) they are the bytes from start to the end
// of the area followed by those from the header's end up to end, joined only when the whole
// area was received, since an entry may run across the seam. An end below the header, or a
// wrapped start past the area, gives none; an unwrapped end past the area is cut to it.
std::vector<std::uint8_t> LogAreaEntryBytes(std::span<const std::uint8_t> received,
                                            std::int32_t reportedSize);

// Splits the entry bytes into entries by the 16-bit little-endian length at the start of
// each. The walk stops at the first entry that is shorter than an entry header or runs past
// the bytes; the entries before it are kept.
std::vector<std::span<const std::uint8_t>> SplitLogEntries(
    std::span<const std::uint8_t> entryBytes);

inline constexpr std::size_t kNotMapped = std::numeric_limits<std::size_t>::max();

// One entry a read of the log came across, whether or not it names a sensor: its identity
// (LogEntry::Identity) and the place in the mapped entries of the SelEntry it became, which
// is also its record's place among the records made of them. An entry is new or old by its
// identity, never by whether it maps, so a sensor missing for one read does not make its
// entries new again; a record's RecordID is its place in the log of the moment and never
// names it.
struct SeenLogEntry {
    std::string identity;
    std::size_t mapped = kNotMapped;
};

// Reads a log area: maps each of its entries against the inventory and appends the mapped
// ones to `entries`, in log order; with `seen`, every entry walked is appended there too.
// `received` is the area as read, `reportedSize` the size the driver reports for it. The
// caller holds the inventory's lock.
void ReadLogArea(std::span<const std::uint8_t> received, std::int32_t reportedSize,
                 const SensorInventory& inventory, std::vector<SelEntry>& entries,
                 std::vector<SeenLogEntry>* seen = nullptr);

// Whether `received` holds the whole area the driver reports (up to the capacity), so that
// no entry of it can be missing.
bool IsWholeLogArea(std::size_t received, std::int32_t reportedSize);

// The health driver hands the log out as instances of one class, each an area and its size.
inline constexpr char kManagementLogQuery[] = "SELECT KronData, KronSize FROM KronInfo";

// What a read of the management log saw.
struct ManagementLogRead {
    // False when an instance's properties could not be read: the reading stopped there, and
    // the entries of the instances before it stay.
    bool propertiesRead = true;
    // The query ran, every instance's properties were read and every area came whole.
    bool whole = true;
};

// Runs `use` with the inventory an area is to be mapped against; the event log rebuilds it
// for each area, under the sensor cache's lock, so that it names the sensors as the sensor
// classes show them now.
using WithInventory = std::function<void(const std::function<void(const SensorInventory&)>& use)>;

// Reads every instance of the management log, in the order the source answers them: each
// area's mapped entries are appended to `entries` and every entry walked to `seen`.
ManagementLogRead ReadManagementLog(HealthDataSource& health, const WithInventory& withInventory,
                                    std::vector<SelEntry>& entries,
                                    std::vector<SeenLogEntry>& seen);

}  // namespace norv
