// Arbitrary bytes as one management-log entry: map it against a small inventory that holds a
// sensor of every kind, and check what a mapped entry carries. Besides the sanitizers'
// findings (a read past the input's end above all), a broken invariant aborts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "eventlog/event_text.h"
#include "eventlog/log_entry.h"
#include "eventlog/log_entry_mapping.h"
#include "inventory/sensor_inventory.h"
#include "inventory/sensor_kind.h"
#include "fuzz_invariant.h"

using namespace norv;

namespace {

// Keys with small numbers, so that the fuzzer finds them: fan, temperature and power supply
// 1, cartridge 1 with DIMM 1, the processor in slot 0 of socket 0, fan groups of every fan.
const SensorInventory& Inventory() {
    static const SensorInventory inventory = [] {
        SensorInventory built;
        for (std::uint32_t kind = 0; kind < kSensorKindCount; ++kind) {
            SensorRecord record;
            record.SetSensorNumber(kind + 1);
            record.SetOwnerId(0x41);
            record.SetEntityId(kind);
            const auto sensorKind = static_cast<SensorKind>(kind);
            switch (sensorKind) {
            case SensorKind::FanGroup:
            case SensorKind::FanSharedGroup:
                record.SetName(sensorKind, 0xFF, 0xFF, 1);
                break;
            case SensorKind::CartridgeDimm:
                record.SetName(sensorKind, 1, 1, kNoNumber);
                break;
            case SensorKind::Cpu:
                record.SetName(sensorKind, 0, 0, 1);
                break;
            default:
                record.SetName(sensorKind, 1, kNoNumber, kNoNumber);
                break;
            }
            built.Append(record);
        }
        built.SetValid(true);
        return built;
    }();
    return inventory;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    SelEntry entry;
    const bool mapped = MapEntry(bytes, Inventory(), entry);

    // The entry's bytes are kept up to its length field, the input's end or 256 bytes; bytes
    // shorter than a header have no length field to read.
    std::size_t kept = std::min(size, kSelEntryRawSize);
    if (size >= kEntryHeaderSize) kept = std::min<std::size_t>(kept, data[0] | (data[1] << 8));
    REQUIRE(std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(kept),
                       entry.raw.begin()));
    REQUIRE(std::all_of(entry.raw.begin() + static_cast<std::ptrdiff_t>(kept), entry.raw.end(),
                        [](std::uint8_t byte) { return byte == 0; }));
    if (!mapped) return 0;

    REQUIRE(kept >= 24);
    REQUIRE(entry.recordId == (data[2] | (data[3] << 8)));
    REQUIRE(entry.offset <= 0x0F && entry.eventType <= 0x7F && entry.deassertion <= 1);
    REQUIRE(entry.dataUsage <= 0x0F);
    REQUIRE(entry.sensorNumber == KindIndex(entry.sensorKind) + 1);
    REQUIRE(entry.deviceId == std::to_string(entry.sensorNumber) + ".0.65");
    const std::string labelEnd = "(" + entry.deviceId + ")";
    REQUIRE(entry.sensorLabel.size() >= labelEnd.size() &&
            entry.sensorLabel.ends_with(labelEnd));
    REQUIRE(!EventText(entry.eventType, entry.sensorType, entry.dataUsage, entry.offset,
                       entry.eventData2, entry.eventData3)
                 .empty());
    return 0;
}
