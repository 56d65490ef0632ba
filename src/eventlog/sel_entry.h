// One management-log entry that became a SEL event: the entry's bytes as read, the fields
// of the 16-byte IPMI SEL event record it stands for, and the sensor it names.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "inventory/sensor_kind.h"

namespace norv {

// An entry keeps at most this many of its bytes; a longer one is cut.
inline constexpr std::size_t kSelEntryRawSize = 256;

// Event data 2 or 3 that carries nothing.
inline constexpr std::uint8_t kEventDataUnspecified = 0xFF;

struct SelEntry {
    // The first min(entry length, 256) bytes of the entry, the rest zero.
    std::array<std::uint8_t, kSelEntryRawSize> raw{};
    std::uint16_t recordId = 0;
    // Seconds since 1970-01-01; set when the entry's date and time are converted.
    std::uint32_t timestamp = 0;
    std::uint8_t sensorType = 0;
    // 1 for a deassertion event, 0 for an assertion event.
    std::uint8_t deassertion = 0;
    // Event/reading type, 7 bits.
    std::uint8_t eventType = 0;
    // Bits 3..2: how event data 2 is used; bits 1..0: how event data 3 is used.
    std::uint8_t dataUsage = 0;
    // Event offset 0..15.
    std::uint8_t offset = 0;
    std::uint8_t eventData2 = kEventDataUnspecified;
    std::uint8_t eventData3 = kEventDataUnspecified;
    // The lookup key of the sensor the entry names.
    SensorKind sensorKind = SensorKind::Fan;
    std::uint8_t key1 = 0;
    std::uint8_t key2 = 0;
    // Copied from the matched sensor record.
    std::uint8_t ownerLun = 0;
    std::uint8_t ownerId = 0;
    std::uint8_t sensorNumber = 0;
    // Sensor number, owner LUN and owner id as "%u.%u.%u".
    std::string deviceId;
    // The sensor's element name followed by "(", deviceId and ")".
    std::string sensorLabel;
    std::uint32_t entityId = 0;
    std::uint8_t entityInstance = 0;

    std::uint8_t EventData2Usage() const {
        return static_cast<std::uint8_t>((dataUsage >> 2) & 0x3);
    }
    std::uint8_t EventData3Usage() const { return static_cast<std::uint8_t>(dataUsage & 0x3); }

    // Event data 1 of the SEL record: the usage bits above the offset.
    std::uint8_t EventData1() const {
        return static_cast<std::uint8_t>(((dataUsage & 0x0F) << 4) | (offset & 0x0F));
    }

    void SetEventData2(std::uint8_t value, std::uint8_t usage) {
        eventData2 = value;
        dataUsage = static_cast<std::uint8_t>((dataUsage & 0x3) | ((usage & 0x3) << 2));
    }

    void SetEventData3(std::uint8_t value, std::uint8_t usage) {
        eventData3 = value;
        dataUsage = static_cast<std::uint8_t>((dataUsage & 0xC) | (usage & 0x3));
    }
};

}  // namespace norv
