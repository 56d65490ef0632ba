// Arbitrary bytes as a management-log area: the first four bytes are the size the driver
// reports (32-bit little-endian, signed), the rest the area as received. The whole road of
// the event log runs on it: the entry bytes of the ring, the walk, the mapping against an
// inventory like the default platform's, and the texts of every record. Besides the
// sanitizers' findings (a read past the input's end above all), a broken invariant aborts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "eventlog/log_entry.h"
#include "eventlog/log_record_data.h"
#include "eventlog/management_log.h"
#include "inventory/controller_record.h"
#include "inventory/sensor_inventory.h"
#include "inventory/sensor_kind.h"
#include "inventory/sensor_record.h"
#include "inventory/vocabulary.h"
#include "fuzz_invariant.h"

using namespace norv;

namespace {

constexpr std::size_t kSizeFieldBytes = 4;
constexpr std::uint8_t kOwnerId = 0x20;

struct InventorySensor {
    SensorKind kind;
    std::uint8_t number1, number2, number3;
    std::uint32_t entityId;
};

// Eight fans in two groups, seven temperatures, two power supplies, two memory cartridges
// of eight DIMMs, two processors and one sensor of every single kind.
std::vector<InventorySensor> DefaultPlatformSensors() {
    std::vector<InventorySensor> sensors;
    for (std::uint8_t fan = 0; fan < 8; ++fan)
        sensors.push_back({SensorKind::Fan, fan, kNoNumber, kNoNumber, 29});
    sensors.push_back({SensorKind::FanGroup, 0x0F, 0x00, 1, 29});
    sensors.push_back({SensorKind::FanGroup, 0xF0, 0x00, 2, 29});
    sensors.push_back({SensorKind::FanSharedGroup, 0x18, 0x00, 1, 29});
    for (std::uint8_t sensor = 1; sensor <= 7; ++sensor)
        sensors.push_back({SensorKind::Temperature, sensor, kNoNumber, kNoNumber, 7});
    for (std::uint8_t supply = 1; supply <= 2; ++supply)
        sensors.push_back({SensorKind::PowerSupply, supply, kNoNumber, kNoNumber, 10});
    sensors.push_back({SensorKind::PowerSubsystem, kNoNumber, kNoNumber, kNoNumber, 19});
    for (std::uint8_t cartridge = 1; cartridge <= 2; ++cartridge) {
        sensors.push_back({SensorKind::Cartridge, cartridge, kNoNumber, kNoNumber, 21});
        sensors.push_back({SensorKind::CartridgePirn, cartridge, kNoNumber, kNoNumber, 21});
        for (std::uint8_t dimm = 1; dimm <= 8; ++dimm)
            sensors.push_back({SensorKind::CartridgeDimm, cartridge, dimm, kNoNumber, 32});
    }
    sensors.push_back({SensorKind::AdvancedMemoryProtection, kNoNumber, kNoNumber, kNoNumber, 21});
    for (std::uint8_t slot = 0; slot < 2; ++slot)
        sensors.push_back({SensorKind::Cpu, slot, 0, slot, 3});
    for (const SensorKind kind :
         {SensorKind::Asr, SensorKind::UidLight, SensorKind::Nmi, SensorKind::SlotNotify,
          SensorKind::NetworkAdapters, SensorKind::PostError, SensorKind::OsStop,
          SensorKind::LogMaintenance, SensorKind::Rtc}) {
        sensors.push_back({kind, kNoNumber, kNoNumber, kNoNumber, 0});
    }
    return sensors;
}

const SensorInventory& Inventory() {
    static const SensorInventory inventory = [] {
        SensorInventory built;
        std::uint32_t sensorNumber = 1;
        for (const InventorySensor& sensor : DefaultPlatformSensors()) {
            SensorRecord record;
            record.SetSensorNumber(sensorNumber++);
            record.SetOwnerId(kOwnerId);
            record.SetEntityId(sensor.entityId);
            record.SetEntityInstance(sensor.number3 == kNoNumber ? 1 : sensor.number3);
            record.SetName(sensor.kind, sensor.number1, sensor.number2, sensor.number3);
            built.Append(record);
        }
        built.SetValid(true);
        return built;
    }();
    return inventory;
}

// Daylight time from the second Sunday of March to the first Sunday of November, so that
// both seasons and their edges are reached.
TimeZoneRules Rules() {
    TimeZoneRules rules;
    rules.bias = 300;
    rules.daylightBias = -60;
    rules.daylightDate.wMonth = 3;
    rules.daylightDate.wDay = 2;
    rules.daylightDate.wHour = 2;
    rules.standardDate.wMonth = 11;
    rules.standardDate.wDay = 1;
    rules.standardDate.wHour = 2;
    return rules;
}

std::size_t LengthField(std::span<const std::uint8_t> entry) {
    return static_cast<std::size_t>(entry[0] | (entry[1] << 8));
}

// The walk covers the entry bytes from their start, entry after entry, each whole.
void CheckWalk(std::span<const std::uint8_t> entryBytes,
               const std::vector<std::span<const std::uint8_t>>& walk) {
    const std::uint8_t* next = entryBytes.data();
    for (const std::span<const std::uint8_t> entry : walk) {
        REQUIRE(entry.data() == next);
        REQUIRE(entry.size() >= kEntryHeaderSize);
        REQUIRE(entry.size() == LengthField(entry));
        next += entry.size();
    }
    REQUIRE(next <= entryBytes.data() + entryBytes.size());
}

// The mapped entries are walked entries, in walk order, each kept up to 256 bytes.
void CheckMapped(const std::vector<std::span<const std::uint8_t>>& walk,
                 const std::vector<SelEntry>& entries) {
    std::size_t position = 0;
    for (const SelEntry& entry : entries) {
        bool found = false;
        while (!found && position < walk.size()) {
            const std::span<const std::uint8_t> candidate = walk[position++];
            const std::size_t kept = std::min(candidate.size(), kSelEntryRawSize);
            found =
                std::equal(candidate.begin(), candidate.begin() + static_cast<std::ptrdiff_t>(kept),
                           entry.raw.begin());
        }
        REQUIRE(found);
    }
}

void CheckRecords(const std::vector<SelEntry>& entries, const SelRecords& built) {
    REQUIRE(built.records.size() == entries.size());
    REQUIRE(built.logData.currentNumberOfRecords == entries.size());
    bool lastChangeFound = built.logData.lastChange.empty();
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const SelEntry& entry = entries[index];
        const LogRecordData& record = built.records[index];
        REQUIRE(record.recordNumber == std::to_string(index + 1));
        // Always 25 characters: a date with a field past its range counts as no date.
        const std::string_view stamp = record.messageTimestamp;
        REQUIRE(stamp.size() == 25);
        REQUIRE(stamp.substr(stamp.size() - 13, 9) == "00.000000");
        const char sign = stamp[stamp.size() - 4];
        REQUIRE(sign == '+' || sign == '-');
        REQUIRE(record.recordFormat == kRecordFormatText);
        REQUIRE(record.recordData.starts_with("*" + entry.deviceId + "*"));
        REQUIRE(std::count(record.recordData.begin(), record.recordData.end(), '*') == 14);
        REQUIRE(record.caption.starts_with(std::string(SensorTypeText(entry.sensorType))));
        REQUIRE(record.description.starts_with(entry.sensorLabel + ": "));
        lastChangeFound = lastChangeFound || record.messageTimestamp == built.logData.lastChange;
    }
    REQUIRE(lastChangeFound);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kSizeFieldBytes) return 0;
    const auto reportedSize = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8) |
        (static_cast<std::uint32_t>(data[2]) << 16) | (static_cast<std::uint32_t>(data[3]) << 24));
    const std::span<const std::uint8_t> received(data + kSizeFieldBytes, size - kSizeFieldBytes);

    const std::span<const std::uint8_t> area = LogArea(received, reportedSize);
    REQUIRE(area.size() <= kLogAreaCapacity && area.size() <= received.size());
    const std::vector<std::uint8_t> entryBytes = LogAreaEntryBytes(received, reportedSize);
    REQUIRE(entryBytes.size() <= area.size());
    const std::vector<std::span<const std::uint8_t>> walk = SplitLogEntries(entryBytes);
    CheckWalk(entryBytes, walk);

    std::vector<SelEntry> entries;
    ReadLogArea(received, reportedSize, Inventory(), entries);
    CheckMapped(walk, entries);

    const SelRecords built = BuildSelRecords(entries, Rules(), TheManagementController());
    CheckRecords(entries, built);
    return 0;
}
